#pragma once
// The converter's main window: the input path (an image file or a folder, or
// the items dropped on the program), the output path (a PDF file or a
// folder), the options, a status-bar help line for the control under the
// mouse, and the Convert and Close buttons.
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QString>

#include "converter/HelpStatusBar.h"
#include "converter/QtConverterUi.h"
#include "converter/core/ConversionDriver.h"
#include "converter/core/ConverterSettings.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

namespace ostrel {

class BrowseButton;
class FocusLabel;
class HistoryComboBox;

class MainDialog : public QDialog {
  Q_OBJECT
 public:
  // Control ids: the objectName of each control is its id, and the
  // status-bar help line is chosen by it.
  enum ControlId {
    kIdClose = 2,
    kIdInputBrowse = 1001,
    kIdInput = 1002,
    kIdObjBMP = 1003,
    kIdObjJPEG = 1004,
    kIdObjTIFF = 1005,
    kIdSubFolder = 1006,
    kIdMakeFolder = 1007,
    kIdOwNoConf = 1008,
    kIdOutput = 1009,
    kIdOutputBrowse = 1010,
    kIdConvert = 1011,
    kIdNeNoConf = 1012,
    kIdNameBase = 1015,
    kIdNameWithExtension = 1016,
    kIdDropped = 1017,
  };

  // convert: the single-file conversion the runs use.
  explicit MainDialog(ConvertFunction convert, QWidget* parent = nullptr);
  ~MainDialog() override;

  // Set by the application before the dialog opens.
  void SetDroppedItems(std::vector<std::string> paths);
  void SetInputText(const QString& text);
  // Sets the input text from a path's bytes. Bytes that are not UTF-8 are
  // shown replaced; while the text stays as set, the run and the enabling
  // use the original bytes.
  void SetInputBytes(const std::string& path);
  bool DroppedMode() const { return droppedMode_; }
  const std::vector<std::string>& DroppedItems() const { return droppedItems_; }

  // The options as last taken from (or given to) the controls.
  const ConverterSettings& Settings() const { return settings_; }
  const QString& InputText() const { return inputText_; }
  const QString& OutputText() const { return outputText_; }

  // Reads the Settings section of the profile into the members.
  void LoadSettings();
  // Writes the members to the Settings section.
  void SaveSettings();
  // true: takes the controls' values into the members; false: writes the
  // members to the controls.
  void UpdateData(bool save);

  // The status-bar help text of a control id; empty for other ids.
  static QString HelpText(int controlId);
  // Shows the help line of a widget: its own id, or that of the nearest
  // parent with one (the edit field of a combo box counts as the combo).
  void ShowHelpFor(QWidget* widget);
  QString HelpLine() const;

  // The file chooser of a browse button (the input's or the output's).
  std::unique_ptr<QFileDialog> MakeFileDialog(bool forInput);
  // The folder chooser of a browse button.
  std::unique_ptr<QFileDialog> MakeFolderDialog(bool forInput);
  // A chosen path: becomes the text of that path box and enters its history.
  void ApplyBrowseResult(bool forInput, const QString& path);

  // The context menu of the dialog (it carries the About item).
  QMenu* CreateContextMenu(QWidget* parent);

  QtConverterUi& Ui() { return ui_; }
  ConversionDriver& Driver() { return driver_; }

  HistoryComboBox* InputBox() const { return input_; }
  HistoryComboBox* OutputBox() const { return output_; }
  BrowseButton* InputBrowse() const { return inputBrowse_; }
  BrowseButton* OutputBrowse() const { return outputBrowse_; }
  QPushButton* ConvertButton() const { return convert_; }
  QPushButton* CloseButton() const { return close_; }
  HelpStatusBar* StatusBar() const { return status_; }

 public slots:
  // Recomputes the enabling of the options from the classes of the input
  // and output paths and the sub-folder option.
  void OnEnableControls();
  // The sub-folder check box was clicked.
  void OnSubFolder();
  // The Convert button; ignored while a run is active.
  void OnConvert();
  // Browse menu commands, for the browse button clicked last.
  void OnFileBrowse();
  void OnFolderBrowse();
  // The About item.
  void OnAbout();
  // Close button, Esc and the window's close box: saves the settings and
  // ends the dialog; ignored while a run is active.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnInitDialog();
  void BuildControls();
  void OnBrowseCommand(int id);
  void WatchForHelp(QWidget* root);
  void PostEnableControls();
  // Makes the checked naming option the group's only Tab stop.
  void UpdateNamingTabStop();
  // Opens a chooser at the folder of its path box's text (or where the last
  // chooser was left, or at home) and makes it wide enough to read its
  // columns.
  void PrepareChooser(QFileDialog* dialog, bool forInput);
  // The bytes of the input text (the original bytes of a path set with
  // SetInputBytes while its text is unchanged).
  std::string InputBytes(const QString& text) const;

  QtConverterUi ui_;
  ConversionDriver driver_;

  bool initialised_ = false;
  bool droppedMode_ = false;
  std::vector<std::string> droppedItems_;
  ConverterSettings settings_;
  QString inputText_;
  QString outputText_;
  std::string inputRaw_;   // bytes given by SetInputBytes
  QString inputRawShown_;  // and their text

  HistoryComboBox* input_ = nullptr;
  HistoryComboBox* output_ = nullptr;
  BrowseButton* inputBrowse_ = nullptr;
  BrowseButton* outputBrowse_ = nullptr;
  QLabel* inputLabel_ = nullptr;
  FocusLabel* dropped_ = nullptr;
  QCheckBox* subFolder_ = nullptr;
  QCheckBox* objBMP_ = nullptr;
  QCheckBox* objJPEG_ = nullptr;
  QCheckBox* objTIFF_ = nullptr;
  QRadioButton* nameBase_ = nullptr;
  QRadioButton* nameWithExtension_ = nullptr;
  QCheckBox* makeFolder_ = nullptr;
  QCheckBox* owNoConf_ = nullptr;
  QCheckBox* neNoConf_ = nullptr;
  QPushButton* convert_ = nullptr;
  QPushButton* close_ = nullptr;
  HelpStatusBar* status_ = nullptr;
};

}  // namespace ostrel
