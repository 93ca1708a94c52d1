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

#include "converter/QtConverterUi.h"
#include "converter/core/ConversionDriver.h"
#include "converter/core/ConverterSettings.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace ostrel {

class BrowseButton;
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
    bool DroppedMode() const { return m_droppedMode; }
    const std::vector<std::string>& DroppedItems() const { return m_droppedItems; }

    // The options as last taken from (or given to) the controls.
    const ConverterSettings& Settings() const { return m_settings; }
    const QString& InputText() const { return m_inputText; }
    const QString& OutputText() const { return m_outputText; }

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

    QtConverterUi& Ui() { return m_ui; }
    ConversionDriver& Driver() { return m_driver; }

    HistoryComboBox* InputBox() const { return m_input; }
    HistoryComboBox* OutputBox() const { return m_output; }
    BrowseButton* InputBrowse() const { return m_inputBrowse; }
    BrowseButton* OutputBrowse() const { return m_outputBrowse; }
    QPushButton* ConvertButton() const { return m_convert; }
    QPushButton* CloseButton() const { return m_close; }
    QStatusBar* StatusBar() const { return m_status; }

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
    // Opens a chooser at the folder of its path box's text and makes it wide
    // enough to read its columns.
    void PrepareChooser(QFileDialog* dialog, bool forInput);
    // The bytes of the input text (the original bytes of a path set with
    // SetInputBytes while its text is unchanged).
    std::string InputBytes(const QString& text) const;

    QtConverterUi m_ui;
    ConversionDriver m_driver;

    bool m_initialised = false;
    bool m_droppedMode = false;
    std::vector<std::string> m_droppedItems;
    ConverterSettings m_settings;
    QString m_inputText;
    QString m_outputText;
    std::string m_inputRaw;    // bytes given by SetInputBytes
    QString m_inputRawShown;   // and their text

    HistoryComboBox* m_input = nullptr;
    HistoryComboBox* m_output = nullptr;
    BrowseButton* m_inputBrowse = nullptr;
    BrowseButton* m_outputBrowse = nullptr;
    QLabel* m_inputLabel = nullptr;
    QLabel* m_dropped = nullptr;
    QCheckBox* m_subFolder = nullptr;
    QCheckBox* m_objBMP = nullptr;
    QCheckBox* m_objJPEG = nullptr;
    QCheckBox* m_objTIFF = nullptr;
    QRadioButton* m_nameBase = nullptr;
    QRadioButton* m_nameWithExtension = nullptr;
    QCheckBox* m_makeFolder = nullptr;
    QCheckBox* m_owNoConf = nullptr;
    QCheckBox* m_neNoConf = nullptr;
    QPushButton* m_convert = nullptr;
    QPushButton* m_close = nullptr;
    QStatusBar* m_status = nullptr;
};

}  // namespace ostrel
