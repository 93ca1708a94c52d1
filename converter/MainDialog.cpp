#include "converter/MainDialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "converter/AboutDialog.h"
#include "converter/BrowseButton.h"
#include "converter/ConverterProfile.h"
#include "converter/DialogStyle.h"
#include "converter/FileFilter.h"
#include "converter/HistoryComboBox.h"
#include "converter/core/PathOps.h"
#include "platform/qt/DialogUnits.h"

namespace ostrel {

namespace {

const char kControlId[] = "controlId";

// Gives a control its id: as its object name and as the property the help
// line looks for.
template <typename W>
W* Identify(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    widget->setProperty(kControlId, id);
    return widget;
}

std::string Bytes(const QString& text) { return QFile::encodeName(text).toStdString(); }

// The folder a chooser opens in: the path of the field when it is a folder,
// else the folder that holds it when that exists; empty (the chooser's own
// choice) otherwise.
QString StartFolder(const QString& path) {
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    if (info.isDir())
        return info.absoluteFilePath();
    const QFileInfo parent(info.absolutePath());
    return parent.isDir() ? parent.absoluteFilePath() : QString();
}

}  // namespace

MainDialog::MainDialog(ConvertFunction convert, QWidget* parent)
    : QDialog(parent), m_ui(this), m_driver(m_ui, std::move(convert)) {
    setWindowTitle(AppTitle());
    setWindowIcon(AppIcon());
    setFont(DialogFont());
    BuildControls();
    WatchForHelp(this);
}

MainDialog::~MainDialog() = default;

void MainDialog::BuildControls() {
    // Input.
    auto* inputTitle = new QLabel(QStringLiteral("入力　（変換元の画像ファイル）"), this);
    auto* inputLabel = m_inputLabel = new QLabel(QStringLiteral("ファイル／フォルダ(&I)"), this);
    m_input = Identify(new HistoryComboBox(QStringLiteral("Src"), this), kIdInput);
    m_inputBrowse = Identify(new BrowseButton(this), kIdInputBrowse);
    m_dropped = Identify(new QLabel(QStringLiteral("≪ ドロップされたファイルまたはフォルダ ≫"), this), kIdDropped);
    m_dropped->setVisible(false);
    inputLabel->setBuddy(m_input);

    m_subFolder = Identify(new QCheckBox(QStringLiteral("サブフォルダも検索する(&S)"), this), kIdSubFolder);

    auto* typeGroup = new QGroupBox(QStringLiteral("対象"), this);
    m_objBMP = Identify(new QCheckBox(QStringLiteral("ビットマップ(&B)"), typeGroup), kIdObjBMP);
    m_objJPEG = Identify(new QCheckBox(QStringLiteral("JPEG(&J)"), typeGroup), kIdObjJPEG);
    m_objTIFF = Identify(new QCheckBox(QStringLiteral("TIFF(&T)"), typeGroup), kIdObjTIFF);
    auto* typeLayout = new QHBoxLayout(typeGroup);
    typeLayout->addWidget(m_objBMP);
    typeLayout->addWidget(m_objJPEG);
    typeLayout->addWidget(m_objTIFF);
    typeLayout->addStretch();

    // Output.
    auto* outputTitle = new QLabel(QStringLiteral("出力　（変換先の PDF ファイル）"), this);
    auto* outputLabel = new QLabel(QStringLiteral("ファイル／フォルダ(&O)"), this);
    m_output = Identify(new HistoryComboBox(QStringLiteral("Dest"), this), kIdOutput);
    m_outputBrowse = Identify(new BrowseButton(this), kIdOutputBrowse);
    outputLabel->setBuddy(m_output);

    auto* nameGroup = new QGroupBox(QStringLiteral("ファイル名"), this);
    m_nameBase = Identify(new QRadioButton(QStringLiteral("<ファイル名>．PDF(&1)"), nameGroup), kIdNameBase);
    m_nameWithExtension =
        Identify(new QRadioButton(QStringLiteral("<ファイル名>_<拡張子>．PDF(&2)"), nameGroup), kIdNameWithExtension);
    auto* nameButtons = new QButtonGroup(nameGroup);
    nameButtons->addButton(m_nameBase, 0);
    nameButtons->addButton(m_nameWithExtension, 1);
    auto* nameLayout = new QVBoxLayout(nameGroup);
    nameLayout->addWidget(m_nameBase);
    nameLayout->addWidget(m_nameWithExtension);

    m_makeFolder = Identify(new QCheckBox(QStringLiteral("同名のフォルダを作成する(&M)"), this), kIdMakeFolder);
    m_owNoConf = Identify(new QCheckBox(QStringLiteral("ファイル上書き時に問い合わせをしない(&N)"), this), kIdOwNoConf);
    m_neNoConf =
        Identify(new QCheckBox(QStringLiteral("フォルダが存在しない場合に問い合わせをしない(&E)"), this), kIdNeNoConf);

    m_convert = Identify(new QPushButton(QStringLiteral("開始(&S)"), this), kIdConvert);
    m_convert->setDefault(true);
    m_close = Identify(new QPushButton(QStringLiteral("終了(&X)"), this), kIdClose);

    m_status = new QStatusBar(this);
    m_status->setSizeGripEnabled(false);

    // Layout, in the order of the controls, in dialog units: margins of 7,
    // rows at least 3 apart. The height the rows do not need is shared out
    // between the gaps (twice as much between the sections), so the dialog
    // keeps its size without an empty band.
    const platform::DialogUnits du(font());
    const int labelWidth = std::max(inputLabel->sizeHint().width(), outputLabel->sizeHint().width());
    inputLabel->setMinimumWidth(labelWidth);
    outputLabel->setMinimumWidth(labelWidth);
    // The dropped-items label stands where the input box is, at its height.
    m_dropped->setMinimumHeight(m_input->sizeHint().height());

    auto* inputRow = new QGridLayout;
    inputRow->setHorizontalSpacing(du.X(4));
    inputRow->addWidget(inputLabel, 0, 0);
    inputRow->addWidget(m_input, 0, 1);
    inputRow->addWidget(m_dropped, 0, 1);
    inputRow->addWidget(m_inputBrowse, 0, 2);
    inputRow->setColumnStretch(1, 1);

    auto* outputRow = new QGridLayout;
    outputRow->setHorizontalSpacing(du.X(4));
    outputRow->addWidget(outputLabel, 0, 0);
    outputRow->addWidget(m_output, 0, 1);
    outputRow->addWidget(m_outputBrowse, 0, 2);
    outputRow->setColumnStretch(1, 1);

    const int browseWidth = m_inputBrowse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16;
    m_inputBrowse->setFixedWidth(browseWidth);
    m_outputBrowse->setFixedWidth(browseWidth);

    const int buttonWidth = du.X(50);
    m_convert->setMinimumWidth(buttonWidth);
    m_close->setMinimumWidth(buttonWidth);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(du.X(4));
    buttons->addStretch();
    buttons->addWidget(m_convert);
    buttons->addWidget(m_close);

    auto* body = new QVBoxLayout;
    body->setSpacing(0);
    const auto gap = [&](int share) {
        body->addSpacerItem(new QSpacerItem(0, du.Y(3), QSizePolicy::Minimum, QSizePolicy::Expanding));
        body->setStretch(body->count() - 1, share);
    };
    body->addWidget(inputTitle);
    gap(1);
    body->addLayout(inputRow);
    gap(1);
    body->addWidget(m_subFolder);
    gap(1);
    body->addWidget(typeGroup);
    gap(2);
    body->addWidget(outputTitle);
    gap(1);
    body->addLayout(outputRow);
    gap(1);
    body->addWidget(nameGroup);
    gap(1);
    body->addWidget(m_makeFolder);
    gap(1);
    body->addWidget(m_owNoConf);
    gap(1);
    body->addWidget(m_neNoConf);
    gap(2);
    body->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    body->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(4));
    layout->addLayout(body, 1);
    layout->addWidget(m_status);

    connect(m_input, &HistoryComboBox::EnableControlsRequested, this, &MainDialog::OnEnableControls,
            Qt::QueuedConnection);
    connect(m_output, &HistoryComboBox::EnableControlsRequested, this, &MainDialog::OnEnableControls,
            Qt::QueuedConnection);
    connect(m_inputBrowse, &BrowseButton::Command, this, &MainDialog::OnBrowseCommand);
    connect(m_outputBrowse, &BrowseButton::Command, this, &MainDialog::OnBrowseCommand);
    connect(m_subFolder, &QCheckBox::clicked, this, &MainDialog::OnSubFolder);
    connect(m_convert, &QPushButton::clicked, this, &MainDialog::OnConvert);
    connect(m_close, &QPushButton::clicked, this, &MainDialog::reject);

    platform::MakeFixedDialog(this, 271, 287);
}

void MainDialog::SetDroppedItems(std::vector<std::string> paths) {
    m_droppedItems = std::move(paths);
    m_droppedMode = true;
}

void MainDialog::SetInputText(const QString& text) { m_inputText = text; }

void MainDialog::SetInputBytes(const std::string& path) {
    m_inputRaw = path;
    m_inputRawShown = QFile::decodeName(QByteArray::fromStdString(path));
    m_inputText = m_inputRawShown;
}

std::string MainDialog::InputBytes(const QString& text) const {
    if (!m_inputRaw.empty() && text == m_inputRawShown)
        return m_inputRaw;
    return Bytes(text);
}

void MainDialog::LoadSettings() {
    const auto profile = ConverterProfile::Open();
    m_settings = ConverterProfile::ReadSettings(*profile);
}

void MainDialog::SaveSettings() {
    const auto profile = ConverterProfile::Open();
    ConverterProfile::WriteSettings(*profile, m_settings);
    profile->sync();
}

void MainDialog::UpdateData(bool save) {
    if (save) {
        m_inputText = m_input->currentText();
        m_outputText = m_output->currentText();
        m_settings.SubFolder = m_subFolder->isChecked() ? 1 : 0;
        m_settings.ObjBMP = m_objBMP->isChecked() ? 1 : 0;
        m_settings.ObjJPEG = m_objJPEG->isChecked() ? 1 : 0;
        m_settings.ObjTIFF = m_objTIFF->isChecked() ? 1 : 0;
        m_settings.OutFileName = m_nameWithExtension->isChecked() ? 1 : 0;
        m_settings.MakeFolder = m_makeFolder->isChecked() ? 1 : 0;
        m_settings.OwNoConf = m_owNoConf->isChecked() ? 1 : 0;
        m_settings.NeNoConf = m_neNoConf->isChecked() ? 1 : 0;
        return;
    }
    m_input->setEditText(m_inputText);
    m_output->setEditText(m_outputText);
    m_subFolder->setChecked(m_settings.SubFolder != 0);
    m_objBMP->setChecked(m_settings.ObjBMP != 0);
    m_objJPEG->setChecked(m_settings.ObjJPEG != 0);
    m_objTIFF->setChecked(m_settings.ObjTIFF != 0);
    m_nameBase->setChecked(m_settings.OutFileName == 0);
    m_nameWithExtension->setChecked(m_settings.OutFileName != 0);
    m_makeFolder->setChecked(m_settings.MakeFolder != 0);
    m_owNoConf->setChecked(m_settings.OwNoConf != 0);
    m_neNoConf->setChecked(m_settings.NeNoConf != 0);
}

void MainDialog::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void MainDialog::OnInitDialog() {
    LoadSettings();
    m_input->LoadHistory();
    m_output->LoadHistory();
    m_dropped->setVisible(m_droppedMode);
    m_input->setVisible(!m_droppedMode);
    m_inputBrowse->setVisible(!m_droppedMode);
    // Without the input box the label's mnemonic leads to the next control,
    // as focus would move on past a hidden control.
    m_inputLabel->setBuddy(m_droppedMode ? static_cast<QWidget*>(m_subFolder) : m_input);
    UpdateData(false);
    PostEnableControls();
}

void MainDialog::PostEnableControls() {
    QMetaObject::invokeMethod(this, &MainDialog::OnEnableControls, Qt::QueuedConnection);
}

void MainDialog::OnEnableControls() {
    const int32_t inputClass = ClassifyPath(InputBytes(m_input->currentText()), false);
    const int32_t outputClass = ClassifyPath(Bytes(m_output->currentText()), true);
    // A single input file needs no folder search; with a file as output it
    // needs no naming, no folder creation and no question before creating one.
    const bool search = inputClass != kPathExistingFile;
    const bool outputIsFile =
        outputClass == kPathNewFile || outputClass == kPathNewFolder || outputClass == kPathExistingFile;
    const bool naming = inputClass != kPathExistingFile || !outputIsFile;
    m_subFolder->setEnabled(search);
    m_objBMP->setEnabled(search);
    m_objJPEG->setEnabled(search);
    m_objTIFF->setEnabled(search);
    m_nameBase->setEnabled(naming);
    m_nameWithExtension->setEnabled(naming);
    m_makeFolder->setEnabled(search && m_subFolder->isChecked() && naming);
    m_owNoConf->setEnabled(true);
    m_neNoConf->setEnabled(naming);
}

void MainDialog::OnSubFolder() {
    UpdateData(true);
    OnEnableControls();
}

void MainDialog::OnConvert() {
    if (m_driver.Running())
        return;
    UpdateData(true);
    ConvertRequest request;
    request.input = InputBytes(m_inputText);
    request.output = Bytes(m_outputText);
    request.droppedMode = m_droppedMode;
    request.droppedPaths = m_droppedItems;
    request.settings = m_settings;
    m_driver.OnConvert(request);
}

void MainDialog::reject() {
    if (m_driver.Running())
        return;
    UpdateData(true);
    SaveSettings();
    QDialog::reject();
}

std::unique_ptr<QFileDialog> MainDialog::MakeFileDialog(bool forInput) {
    auto dialog = std::make_unique<QFileDialog>(this, QStringLiteral("ファイルを開く"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist yet may be typed (a new output file).
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(NameFilters(forInput ? InputFileFilter() : OutputFileFilter()));
    dialog->setSizeGripEnabled(true);
    PrepareChooser(dialog.get(), forInput);
    return dialog;
}

std::unique_ptr<QFileDialog> MainDialog::MakeFolderDialog(bool forInput) {
    QString title = QStringLiteral("%sフォルダを指定してください。");
    title.replace(QStringLiteral("%s"), forInput ? QStringLiteral("入力") : QStringLiteral("出力"));
    auto dialog = std::make_unique<QFileDialog>(this, title);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    PrepareChooser(dialog.get(), forInput);
    return dialog;
}

void MainDialog::PrepareChooser(QFileDialog* dialog, bool forInput) {
    // Size, type and date are read whole: once a folder has been read, those
    // columns of the detail view take the width of their contents.
    auto* view = dialog->findChild<QTreeView*>();
    auto* model = dialog->findChild<QFileSystemModel*>();
    if (view != nullptr && model != nullptr) {
        connect(model, &QFileSystemModel::directoryLoaded, view, [view](const QString&) {
            for (int column = 1; column < view->model()->columnCount(view->rootIndex()); ++column)
                view->resizeColumnToContents(column);
        });
    }
    dialog->resize(platform::DialogUnits(dialog->font()).Size(420, 220));
    const QString folder = StartFolder((forInput ? m_input : m_output)->currentText());
    if (!folder.isEmpty())
        dialog->setDirectory(folder);
}

void MainDialog::ApplyBrowseResult(bool forInput, const QString& path) {
    HistoryComboBox* box = forInput ? m_input : m_output;
    box->setEditText(path);
    box->AddToHistory(path);
}

void MainDialog::OnBrowseCommand(int id) {
    if (id == BrowseButton::kFileBrowse)
        OnFileBrowse();
    else if (id == BrowseButton::kFolderBrowse)
        OnFolderBrowse();
}

void MainDialog::OnFileBrowse() {
    const bool forInput = BrowseButton::LastClicked() == m_inputBrowse;
    const auto dialog = MakeFileDialog(forInput);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    ApplyBrowseResult(forInput, dialog->selectedFiles().first());
}

void MainDialog::OnFolderBrowse() {
    const bool forInput = BrowseButton::LastClicked() == m_inputBrowse;
    const auto dialog = MakeFolderDialog(forInput);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    ApplyBrowseResult(forInput, dialog->selectedFiles().first());
}

QMenu* MainDialog::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const QString about = QStringLiteral("バージョン情報(&A)...");
    if (!about.isEmpty())
        connect(menu->addAction(about), &QAction::triggered, this, &MainDialog::OnAbout);
    return menu;
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu(this);
    menu->exec(event->globalPos());
    delete menu;
}

void MainDialog::OnAbout() {
    AboutDialog about(this);
    about.exec();
}

QString MainDialog::HelpText(int controlId) {
    switch (controlId) {
        case kIdInputBrowse: return QStringLiteral("入力の「ファイル／フォルダ(I)」を選択するダイアログを開きます。");
        case kIdInput: return QStringLiteral("変換元の画像ファイルか、画像ファイルのあるフォルダを指定します。");
        case kIdObjBMP:
            return QStringLiteral("入力の「ファイル／フォルダ(I)」でフォルダを指定時、検索対象に BMP ファイルを含めます。");
        case kIdObjJPEG:
            return QStringLiteral("入力の「ファイル／フォルダ(I)」でフォルダを指定時、検索対象に JPEG ファイルを含めます。");
        case kIdObjTIFF:
            return QStringLiteral("入力の「ファイル／フォルダ(I)」でフォルダを指定時、検索対象に TIFF ファイルを含めます。");
        case kIdSubFolder:
            return QStringLiteral("入力の「ファイル／フォルダ(I)」にフォルダ指定時、サブフォルダも検索します。");
        case kIdMakeFolder: return QStringLiteral("入力でサブフォルダを検出した場合、出力時に同名のフォルダを作成します。");
        case kIdOwNoConf: return QStringLiteral("出力時に同名のファイルが存在した場合、問い合わせずに上書きします。");
        case kIdOutput: return QStringLiteral("変換先の PDF ファイルか、PDF ファイルを出力するフォルダを指定します。");
        case kIdOutputBrowse: return QStringLiteral("出力の「ファイル／フォルダ(O)」を選択するダイアログを開きます。");
        case kIdConvert: return QStringLiteral("変換を開始します。");
        case kIdNeNoConf: return QStringLiteral("出力時にフォルダが存在しない場合、問い合わせずに作成します。");
        case kIdNameBase: return QStringLiteral("出力時のファイル名を「入力ファイル名．PDF」 にします。");
        case kIdNameWithExtension:
            return QStringLiteral("出力時のファイル名を「入力ファイル名_入力拡張子名．PDF」にします。");
        case kIdClose: return QStringLiteral("このアプリケーションを終了します。");
        default: return QString();
    }
}

void MainDialog::ShowHelpFor(QWidget* widget) {
    while (widget != nullptr && widget != this && !widget->property(kControlId).isValid())
        widget = widget->parentWidget();
    const int id = (widget != nullptr && widget != this) ? widget->property(kControlId).toInt() : 0;
    const QString text = HelpText(id);
    if (m_status->currentMessage() != text)
        m_status->showMessage(text);
}

QString MainDialog::HelpLine() const { return m_status->currentMessage(); }

void MainDialog::WatchForHelp(QWidget* root) {
    // Every widget reports the mouse moving over it, so that the line also
    // changes when the mouse goes from a control back to the space around it.
    root->installEventFilter(this);
    root->setMouseTracking(true);
    for (QWidget* child : root->findChildren<QWidget*>()) {
        child->installEventFilter(this);
        child->setMouseTracking(true);
    }
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && (widget == this || isAncestorOf(widget))) {
        if (event->type() == QEvent::Enter) {
            ShowHelpFor(widget);
        } else if (event->type() == QEvent::MouseMove) {
            const auto* move = static_cast<QMouseEvent*>(event);
            QWidget* under = widget->childAt(move->position().toPoint());
            ShowHelpFor(under != nullptr ? under : widget);
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ostrel
