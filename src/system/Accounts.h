#pragma once

#include <QHash>
#include <QString>

#include <sys/types.h>

namespace vistarel {

// User and group names by number, looked up once each; the number itself
// when the system knows no name.
class AccountNames {
 public:
  QString User(uid_t uid);
  QString Group(gid_t gid);

 private:
  QHash<uid_t, QString> users_;
  QHash<gid_t, QString> groups_;
};

}  // namespace vistarel
