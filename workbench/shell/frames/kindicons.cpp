#include "workbench/shell/frames/kindicons.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringList>

#include "workbench/framework/fwcommandids.h"

namespace {

struct KindIcon {
  int kind;
  const char* name;
};

// Window kinds by their resources: program and text documents, explore
// windows, the output pane, the variables and the call stack.
const KindIcon kKindIcons[] = {
    {IDR_PROGRAM_CONTEXT, "accessories-text-editor"}, {IDR_EDITTYPE, "accessories-text-editor"},
    {IDR_EXPLORETYPE, "system-file-manager"},         {IDR_OUTPUTTYPE, "utilities-terminal"},
    {IDR_VARIABLETYPE, "format-justify-left"},        {IDR_CALLSTACKTYPE, "format-indent-more"},
};

const char kAppIcon[] = "accessories-text-editor";
const char kFallbackTheme[] = "Adwaita";

}  // namespace

QIcon Shell_AppIcon() { return QIcon::fromTheme(kAppIcon); }

QIcon Shell_KindIcon(int kind) {
  for (const KindIcon& k : kKindIcons)
    if (k.kind == kind) return QIcon::fromTheme(k.name, Shell_AppIcon());
  return Shell_AppIcon();
}

void Shell_SetIconFallback() {
  // Platforms without a desktop theme of their own (offscreen) look only in
  // the resources; the desktop's icon folders are where the themes live.
  QStringList paths = QIcon::themeSearchPaths();
  for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
    const QString icons = data + "/icons";
    if (!paths.contains(icons) && QDir(icons).exists()) paths << icons;
  }
  if (paths != QIcon::themeSearchPaths()) QIcon::setThemeSearchPaths(paths);
  if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor")
    QIcon::setFallbackThemeName(kFallbackTheme);
  // A desktop without a theme of its own takes the free one outright.
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") QIcon::setThemeName(kFallbackTheme);
}
