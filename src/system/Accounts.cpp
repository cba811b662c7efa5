#include "system/Accounts.h"

#include <cerrno>
#include <vector>

#include <grp.h>
#include <pwd.h>

namespace vistarel {

namespace {

// getpwuid_r and getgrgid_r want a buffer of their own size; a long group
// member list may need a larger one.
template <class Entry, class Id, class Lookup, class NameOf>
QString AccountName(Id id, Lookup lookup, NameOf nameOf) {
  std::vector<char> buffer(1024);
  for (int tries = 0; tries < 8; ++tries) {
    Entry entry{};
    Entry* found = nullptr;
    const int error = lookup(id, &entry, buffer.data(), buffer.size(), &found);
    if (error == ERANGE) {
      buffer.resize(buffer.size() * 4);
      continue;
    }
    if (error == 0 && found != nullptr)
      return QString::fromLocal8Bit(nameOf(*found));
    break;
  }
  return QString::number(id);
}

}  // namespace

QString AccountNames::User(uid_t uid) {
  const auto known = users_.constFind(uid);
  if (known != users_.cend())
    return *known;
  const QString name =
      AccountName<passwd>(uid, getpwuid_r, [](const passwd& entry) { return entry.pw_name; });
  users_.insert(uid, name);
  return name;
}

QString AccountNames::Group(gid_t gid) {
  const auto known = groups_.constFind(gid);
  if (known != groups_.cend())
    return *known;
  const QString name =
      AccountName<group>(gid, getgrgid_r, [](const group& entry) { return entry.gr_name; });
  groups_.insert(gid, name);
  return name;
}

}  // namespace vistarel
