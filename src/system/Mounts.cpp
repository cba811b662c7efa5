#include "system/Mounts.h"

#include <QByteArray>
#include <QList>

#include <map>

#include "system/FileNames.h"
#include "system/Processes.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// The kernel writes blanks, tabs, new lines and backslashes of a mount point
// as three octal digits after a backslash.
QByteArray Unescaped(const QByteArray& field) {
  QByteArray out;
  out.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      bool ok = false;
      const int code = field.mid(i + 1, 3).toInt(&ok, 8);
      if (ok) {
        out.append(char(code));
        i += 3;
        continue;
      }
    }
    out.append(field[i]);
  }
  return out;
}

// id -> mount, from /proc/self/mountinfo: "36 35 98:0 /mnt1 /mnt/point rw,... - ext3 ...".
std::map<std::uint64_t, Mount> ReadMountTable() {
  std::map<std::uint64_t, Mount> table;
  const QByteArray text = ReadKernelFile("/proc/self/mountinfo", 64 * 1024 * 1024);
  for (const QByteArray& line : text.split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype separator = fields.indexOf("-");
    if (fields.size() < 5 || separator < 0 || separator + 1 >= fields.size())
      continue;
    bool ok = false;
    const std::uint64_t id = fields[0].toULongLong(&ok);
    if (ok)
      table[id] = Mount{DecodeFileName(Unescaped(fields[4])), QString::fromUtf8(fields[separator + 1])};
  }
  return table;
}

std::map<std::uint64_t, Mount>& MountTable() {
  static std::map<std::uint64_t, Mount> table;
  return table;
}

}  // namespace

std::optional<Mount> MountById(std::uint64_t id) {
  std::map<std::uint64_t, Mount>& table = MountTable();
  auto found = table.find(id);
  if (found == table.end()) {
    table = ReadMountTable();
    found = table.find(id);
    if (found == table.end())
      return std::nullopt;
  }
  return found->second;
}

std::optional<Mount> MountByText(const QString& path) {
  std::optional<Mount> best;
  for (const auto& [id, mount] : ReadMountTable()) {
    const QString& point = mount.point;
    const bool leads = point == u"/"_s || path == point ||
                       (path.startsWith(point) && path.at(point.size()) == u'/');
    if (leads && (!best || point.size() >= best->point.size()))
      best = mount;
  }
  return best;
}

bool IsRemoteType(const QString& type) {
  static const QList<QString> remote = {u"nfs"_s,  u"nfs4"_s,      u"cifs"_s,   u"smb3"_s,
                                        u"smbfs"_s, u"ncpfs"_s,    u"9p"_s,     u"afs"_s,
                                        u"ceph"_s, u"glusterfs"_s, u"lustre"_s, u"coda"_s,
                                        u"davfs"_s};
  return type == u"fuse"_s || type == u"fuseblk"_s || type.startsWith(u"fuse."_s) ||
         remote.contains(type);
}

}  // namespace vistarel
