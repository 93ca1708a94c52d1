#include "launcher/LauncherMessage.h"

#include "launcher/LauncherIcon.h"
#include "launcher/core/LauncherStrings.h"
#include "launcher/core/ProgramLocation.h"
#include "platform/qt/DialogUnits.h"

#include <QMessageBox>
#include <QString>

namespace launcher {

void ShowStopMessage(QWidget* parent, int stringId) {
  const std::string_view text = LoadLauncherString(stringId);
  const std::string title = ProgramTitle();
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(title.data(), qsizetype(title.size())),
                  QString::fromUtf8(text.data(), qsizetype(text.size())), QMessageBox::Ok, parent,
                  platform::FixedDialogFlags());
  // The box stands for the program like its dialog, also when it has no owner.
  box.setWindowIcon(LauncherIcon(&box));
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace launcher
