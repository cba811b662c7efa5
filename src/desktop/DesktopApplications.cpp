#include "desktop/DesktopApplications.h"

#include <QStandardPaths>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

#include "system/FileNames.h"

namespace vistarel {

namespace {

// GLib's own reference counting, held for a scope.
struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};

QString FromUtf8(const char* text) {
  return text != nullptr ? QString::fromUtf8(text) : QString();
}

// A hidden entry is one the user removed, and a program in a terminal window
// is no place for a workbook.
bool IsUsable(GAppInfo* info) {
  if (!G_IS_DESKTOP_APP_INFO(info))
    return true;
  GDesktopAppInfo* entry = G_DESKTOP_APP_INFO(info);
  return !g_desktop_app_info_get_is_hidden(entry) &&
         !g_desktop_app_info_get_boolean(entry, "Terminal");
}

}  // namespace

PathLookup SystemPathLookup() {
  return [](const QString& name) { return QStandardPaths::findExecutable(name); };
}

std::optional<DesktopApplication> DefaultApplicationFor(const QString& mimeType) {
  const QByteArray type = mimeType.toUtf8();
  // The default first, then the other applications for the type in the order
  // the desktop prefers them.
  GList* candidates = g_app_info_get_recommended_for_type(type.constData());
  if (GAppInfo* preferred = g_app_info_get_default_for_type(type.constData(), FALSE))
    candidates = g_list_prepend(candidates, preferred);
  std::optional<DesktopApplication> found;
  for (GList* at = candidates; at != nullptr && !found; at = at->next) {
    auto* info = static_cast<GAppInfo*>(at->data);
    if (IsUsable(info))
      found = DesktopApplication{FromUtf8(g_app_info_get_id(info)),
                                 FromUtf8(g_app_info_get_name(info))};
  }
  g_list_free_full(candidates, g_object_unref);
  return found;
}

bool LaunchDesktopApplication(const QString& id, const QStringList& files) {
  const std::unique_ptr<GDesktopAppInfo, ObjectUnref> info(
      g_desktop_app_info_new(id.toUtf8().constData()));
  if (info == nullptr)
    return false;
  GList* list = nullptr;
  for (const QString& file : files)
    list = g_list_append(list, g_file_new_for_path(EncodeFileName(file).constData()));
  GError* error = nullptr;
  const gboolean started = g_app_info_launch(G_APP_INFO(info.get()), list, nullptr, &error);
  g_list_free_full(list, g_object_unref);
  if (error != nullptr)
    g_error_free(error);
  return started != FALSE;
}

}  // namespace vistarel
