#pragma once
// The launcher's main dialog: the product caption, the description of the
// install, and the buttons Start and Cancel. Its data come from the
// install-information file beside the program.
#include <QDialog>
#include <QIcon>
#include <QString>
#include <string>

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace launcher {

class LauncherDialog : public QDialog {
  Q_OBJECT
 public:
  // Results of DoModal.
  static constexpr int kResultStart = 1;
  static constexpr int kResultCancel = 2;
  static constexpr int kResultInitFailed = -1;
  // The window-menu command that opens the About box.
  static constexpr int kCommandAbout = 16;

  explicit LauncherDialog(QWidget* parent = nullptr);

  // The folder (ending in '/') that holds the install-information file;
  // by default the folder of the running executable.
  void SetProgramFolder(std::string folder);

  // Initialises the dialog and, when that succeeds, runs it modally.
  // Answers kResultStart, kResultCancel, or kResultInitFailed after
  // message 1000 was shown (the dialog never became visible then).
  int DoModal();

  // Reads the install-information file and fills the controls; on failure
  // shows message 1000 and answers false.
  bool OnInitDialog();

  // Reads the install-information file into the caption, the package path
  // and the description; true when the description is not empty.
  bool ReadInstallInfo();

  // Moves the caption and the description between the fields and the
  // controls: into the fields when `saveAndValidate`, else into the controls.
  // The package path is never exchanged.
  void DoDataExchange(bool saveAndValidate);

  // A command of the window menu: 16 (low four bits ignored) opens the About
  // box; every other command is left alone.
  void OnSysCommand(int id);

  const std::string& PackagePath() const { return strPackagePath_; }
  const QString& Caption() const { return strCaption_; }
  const QString& Description() const { return strDescription_; }

  // The About item of the window menu; none when its text is empty.
  QAction* AboutAction() const { return aboutAction_; }

 public slots:
  // Start: takes the controls' texts into the fields, then ends the dialog.
  void accept() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  std::string strPackagePath_;
  QString strCaption_;
  QString strDescription_;
  QIcon hIcon_;

  std::string programFolder_;
  bool programFolderSet_ = false;
  QLabel* captionLabel_ = nullptr;
  QPlainTextEdit* descriptionEdit_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QAction* aboutAction_ = nullptr;
};

}  // namespace launcher
