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
#include "converter/ChooserFolder.h"
#include "converter/ConverterProfile.h"
#include "converter/DialogStyle.h"
#include "converter/FileFilter.h"
#include "converter/FocusLabel.h"
#include "converter/HelpStatusBar.h"
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

}  // namespace

MainDialog::MainDialog(ConvertFunction convert, QWidget* parent)
    : QDialog(parent), ui_(this), driver_(ui_, std::move(convert)) {
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
  auto* inputLabel = inputLabel_ = new QLabel(QStringLiteral("ファイル／フォルダ(&I)"), this);
  input_ = Identify(new HistoryComboBox(QStringLiteral("Src"), this), kIdInput);
  inputBrowse_ = Identify(new BrowseButton(this), kIdInputBrowse);
  dropped_ = Identify(
      new FocusLabel(QStringLiteral("≪ ドロップされたファイルまたはフォルダ ≫"), this), kIdDropped);
  dropped_->setVisible(false);
  inputLabel->setBuddy(input_);

  subFolder_ =
      Identify(new QCheckBox(QStringLiteral("サブフォルダも検索する(&S)"), this), kIdSubFolder);

  auto* typeGroup = new QGroupBox(QStringLiteral("対象"), this);
  objBMP_ = Identify(new QCheckBox(QStringLiteral("ビットマップ(&B)"), typeGroup), kIdObjBMP);
  objJPEG_ = Identify(new QCheckBox(QStringLiteral("JPEG(&J)"), typeGroup), kIdObjJPEG);
  objTIFF_ = Identify(new QCheckBox(QStringLiteral("TIFF(&T)"), typeGroup), kIdObjTIFF);
  auto* typeLayout = new QHBoxLayout(typeGroup);
  typeLayout->addWidget(objBMP_);
  typeLayout->addWidget(objJPEG_);
  typeLayout->addWidget(objTIFF_);
  typeLayout->addStretch();

  // Output.
  auto* outputTitle = new QLabel(QStringLiteral("出力　（変換先の PDF ファイル）"), this);
  auto* outputLabel = new QLabel(QStringLiteral("ファイル／フォルダ(&O)"), this);
  output_ = Identify(new HistoryComboBox(QStringLiteral("Dest"), this), kIdOutput);
  outputBrowse_ = Identify(new BrowseButton(this), kIdOutputBrowse);
  outputLabel->setBuddy(output_);

  auto* nameGroup = new QGroupBox(QStringLiteral("ファイル名"), this);
  nameBase_ =
      Identify(new QRadioButton(QStringLiteral("<ファイル名>．PDF(&1)"), nameGroup), kIdNameBase);
  nameWithExtension_ =
      Identify(new QRadioButton(QStringLiteral("<ファイル名>_<拡張子>．PDF(&2)"), nameGroup),
               kIdNameWithExtension);
  auto* nameButtons = new QButtonGroup(nameGroup);
  nameButtons->addButton(nameBase_, 0);
  nameButtons->addButton(nameWithExtension_, 1);
  connect(nameButtons, &QButtonGroup::buttonToggled, this, &MainDialog::UpdateNamingTabStop);
  auto* nameLayout = new QVBoxLayout(nameGroup);
  nameLayout->addWidget(nameBase_);
  nameLayout->addWidget(nameWithExtension_);

  makeFolder_ =
      Identify(new QCheckBox(QStringLiteral("同名のフォルダを作成する(&M)"), this), kIdMakeFolder);
  owNoConf_ = Identify(
      new QCheckBox(QStringLiteral("ファイル上書き時に問い合わせをしない(&N)"), this), kIdOwNoConf);
  neNoConf_ = Identify(
      new QCheckBox(QStringLiteral("フォルダが存在しない場合に問い合わせをしない(&E)"), this),
      kIdNeNoConf);

  convert_ = Identify(new QPushButton(QStringLiteral("開始(&S)"), this), kIdConvert);
  convert_->setDefault(true);
  close_ = Identify(new QPushButton(QStringLiteral("終了(&X)"), this), kIdClose);

  status_ = new HelpStatusBar(this);

  // Layout, in the order of the controls, in dialog units: margins of 7,
  // rows at least 3 apart. The height the rows do not need is shared out
  // between the gaps (twice as much between the sections), so the dialog
  // keeps its size without an empty band.
  const platform::DialogUnits du(font());
  const int labelWidth = std::max(inputLabel->sizeHint().width(), outputLabel->sizeHint().width());
  inputLabel->setMinimumWidth(labelWidth);
  outputLabel->setMinimumWidth(labelWidth);
  // The dropped-items label stands where the input box is, at its height.
  dropped_->setMinimumHeight(input_->sizeHint().height());

  auto* inputRow = new QGridLayout;
  inputRow->setHorizontalSpacing(du.X(4));
  inputRow->addWidget(inputLabel, 0, 0);
  inputRow->addWidget(input_, 0, 1);
  inputRow->addWidget(dropped_, 0, 1);
  inputRow->addWidget(inputBrowse_, 0, 2);
  inputRow->setColumnStretch(1, 1);

  auto* outputRow = new QGridLayout;
  outputRow->setHorizontalSpacing(du.X(4));
  outputRow->addWidget(outputLabel, 0, 0);
  outputRow->addWidget(output_, 0, 1);
  outputRow->addWidget(outputBrowse_, 0, 2);
  outputRow->setColumnStretch(1, 1);

  const int browseWidth =
      inputBrowse_->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16;
  inputBrowse_->setFixedWidth(browseWidth);
  outputBrowse_->setFixedWidth(browseWidth);

  const int buttonWidth = du.X(50);
  convert_->setMinimumWidth(buttonWidth);
  close_->setMinimumWidth(buttonWidth);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(du.X(4));
  buttons->addStretch();
  buttons->addWidget(convert_);
  buttons->addWidget(close_);

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
  body->addWidget(subFolder_);
  gap(1);
  body->addWidget(typeGroup);
  gap(2);
  body->addWidget(outputTitle);
  gap(1);
  body->addLayout(outputRow);
  gap(1);
  body->addWidget(nameGroup);
  gap(1);
  body->addWidget(makeFolder_);
  gap(1);
  body->addWidget(owNoConf_);
  gap(1);
  body->addWidget(neNoConf_);
  gap(2);
  body->addLayout(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  body->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(4));
  layout->addLayout(body, 1);
  layout->addWidget(status_);

  connect(input_, &HistoryComboBox::EnableControlsRequested, this, &MainDialog::OnEnableControls,
          Qt::QueuedConnection);
  connect(output_, &HistoryComboBox::EnableControlsRequested, this, &MainDialog::OnEnableControls,
          Qt::QueuedConnection);
  connect(inputBrowse_, &BrowseButton::Command, this, &MainDialog::OnBrowseCommand);
  connect(outputBrowse_, &BrowseButton::Command, this, &MainDialog::OnBrowseCommand);
  connect(subFolder_, &QCheckBox::clicked, this, &MainDialog::OnSubFolder);
  connect(convert_, &QPushButton::clicked, this, &MainDialog::OnConvert);
  connect(close_, &QPushButton::clicked, this, &MainDialog::reject);

  // The help line shows each text whole: the bar takes the lines the
  // longest one needs at the dialog's width.
  QStringList helpTexts;
  for (int id = 0; id <= kIdDropped; ++id)
    if (!HelpText(id).isEmpty()) helpTexts << HelpText(id);
  status_->FitTexts(du.X(271), helpTexts);

  platform::MakeFixedDialog(this, 271, 287);
}

void MainDialog::SetDroppedItems(std::vector<std::string> paths) {
  droppedItems_ = std::move(paths);
  droppedMode_ = true;
}

void MainDialog::SetInputText(const QString& text) { inputText_ = text; }

void MainDialog::SetInputBytes(const std::string& path) {
  inputRaw_ = path;
  inputRawShown_ = QFile::decodeName(QByteArray::fromStdString(path));
  inputText_ = inputRawShown_;
}

std::string MainDialog::InputBytes(const QString& text) const {
  if (!inputRaw_.empty() && text == inputRawShown_) return inputRaw_;
  return Bytes(text);
}

void MainDialog::LoadSettings() {
  const auto profile = ConverterProfile::Open();
  settings_ = ConverterProfile::ReadSettings(*profile);
}

void MainDialog::SaveSettings() {
  const auto profile = ConverterProfile::Open();
  ConverterProfile::WriteSettings(*profile, settings_);
  profile->sync();
}

void MainDialog::UpdateData(bool save) {
  if (save) {
    inputText_ = input_->currentText();
    outputText_ = output_->currentText();
    settings_.SubFolder = subFolder_->isChecked() ? 1 : 0;
    settings_.ObjBMP = objBMP_->isChecked() ? 1 : 0;
    settings_.ObjJPEG = objJPEG_->isChecked() ? 1 : 0;
    settings_.ObjTIFF = objTIFF_->isChecked() ? 1 : 0;
    settings_.OutFileName = nameWithExtension_->isChecked() ? 1 : 0;
    settings_.MakeFolder = makeFolder_->isChecked() ? 1 : 0;
    settings_.OwNoConf = owNoConf_->isChecked() ? 1 : 0;
    settings_.NeNoConf = neNoConf_->isChecked() ? 1 : 0;
    return;
  }
  input_->setEditText(inputText_);
  output_->setEditText(outputText_);
  subFolder_->setChecked(settings_.SubFolder != 0);
  objBMP_->setChecked(settings_.ObjBMP != 0);
  objJPEG_->setChecked(settings_.ObjJPEG != 0);
  objTIFF_->setChecked(settings_.ObjTIFF != 0);
  nameBase_->setChecked(settings_.OutFileName == 0);
  nameWithExtension_->setChecked(settings_.OutFileName != 0);
  UpdateNamingTabStop();
  makeFolder_->setChecked(settings_.MakeFolder != 0);
  owNoConf_->setChecked(settings_.OwNoConf != 0);
  neNoConf_->setChecked(settings_.NeNoConf != 0);
}

void MainDialog::showEvent(QShowEvent* event) {
  if (!initialised_) {
    initialised_ = true;
    OnInitDialog();
  }
  QDialog::showEvent(event);
}

void MainDialog::OnInitDialog() {
  LoadSettings();
  input_->LoadHistory();
  output_->LoadHistory();
  dropped_->setVisible(droppedMode_);
  input_->setVisible(!droppedMode_);
  inputBrowse_->setVisible(!droppedMode_);
  // Without the input box the label's access key leads to the label that
  // stands in its place: it takes the focus, shows it with a focus frame and
  // does nothing else, and Tab goes on from there as from the box. (A button
  // as the buddy would be clicked: the sub-folder option would change.) The
  // label is no Tab stop.
  dropped_->setFocusPolicy(droppedMode_ ? Qt::ClickFocus : Qt::NoFocus);
  inputLabel_->setBuddy(droppedMode_ ? static_cast<QWidget*>(dropped_) : input_);
  UpdateData(false);
  PostEnableControls();
}

void MainDialog::UpdateNamingTabStop() {
  // As in a group of options on the desktop, Tab comes to the checked option
  // only; the arrow keys move between the two. With neither checked both
  // are Tab stops.
  const bool none = !nameBase_->isChecked() && !nameWithExtension_->isChecked();
  for (QRadioButton* option : {nameBase_, nameWithExtension_})
    option->setFocusPolicy(none || option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void MainDialog::PostEnableControls() {
  QMetaObject::invokeMethod(this, &MainDialog::OnEnableControls, Qt::QueuedConnection);
}

void MainDialog::OnEnableControls() {
  const int32_t inputClass = ClassifyPath(InputBytes(input_->currentText()), false);
  const int32_t outputClass = ClassifyPath(Bytes(output_->currentText()), true);
  // A single input file needs no folder search; with a file as output it
  // needs no naming, no folder creation and no question before creating one.
  const bool search = inputClass != kPathExistingFile;
  const bool outputIsFile = outputClass == kPathNewFile || outputClass == kPathNewFolder ||
                            outputClass == kPathExistingFile;
  const bool naming = inputClass != kPathExistingFile || !outputIsFile;
  subFolder_->setEnabled(search);
  objBMP_->setEnabled(search);
  objJPEG_->setEnabled(search);
  objTIFF_->setEnabled(search);
  nameBase_->setEnabled(naming);
  nameWithExtension_->setEnabled(naming);
  makeFolder_->setEnabled(search && subFolder_->isChecked() && naming);
  owNoConf_->setEnabled(true);
  neNoConf_->setEnabled(naming);
}

void MainDialog::OnSubFolder() {
  UpdateData(true);
  OnEnableControls();
}

void MainDialog::OnConvert() {
  if (driver_.Running()) return;
  UpdateData(true);
  ConvertRequest request;
  request.input = InputBytes(inputText_);
  request.output = Bytes(outputText_);
  request.droppedMode = droppedMode_;
  request.droppedPaths = droppedItems_;
  request.settings = settings_;
  driver_.OnConvert(request);
}

void MainDialog::reject() {
  if (driver_.Running()) return;
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
  dialog->setDirectory(ChooserFolder::Start((forInput ? input_ : output_)->currentText()));
}

void MainDialog::ApplyBrowseResult(bool forInput, const QString& path) {
  HistoryComboBox* box = forInput ? input_ : output_;
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
  const bool forInput = BrowseButton::LastClicked() == inputBrowse_;
  const auto dialog = MakeFileDialog(forInput);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
  const QString chosen = dialog->selectedFiles().first();
  ChooserFolder::Remember(QFileInfo(chosen).absolutePath());
  ApplyBrowseResult(forInput, chosen);
}

void MainDialog::OnFolderBrowse() {
  const bool forInput = BrowseButton::LastClicked() == inputBrowse_;
  const auto dialog = MakeFolderDialog(forInput);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
  // The folder the chooser showed, in which the chosen one lies.
  ChooserFolder::Remember(dialog->directory().absolutePath());
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
    case kIdInputBrowse:
      return QStringLiteral("入力の「ファイル／フォルダ(I)」を選択するダイアログを開きます。");
    case kIdInput:
      return QStringLiteral("変換元の画像ファイルか、画像ファイルのあるフォルダを指定します。");
    case kIdObjBMP:
      return QStringLiteral(
          "入力の「ファイル／フォルダ(I)」でフォルダを指定時、検索対象に BMP ファイルを含めます。");
    case kIdObjJPEG:
      return QStringLiteral(
          "入力の「ファイル／フォルダ(I)」でフォルダを指定時、検索対象に JPEG "
          "ファイルを含めます。");
    case kIdObjTIFF:
      return QStringLiteral(
          "入力の「ファイル／フォルダ(I)」でフォルダを指定時、検索対象に TIFF "
          "ファイルを含めます。");
    case kIdSubFolder:
      return QStringLiteral(
          "入力の「ファイル／フォルダ(I)」にフォルダ指定時、サブフォルダも検索します。");
    case kIdMakeFolder:
      return QStringLiteral(
          "入力でサブフォルダを検出した場合、出力時に同名のフォルダを作成します。");
    case kIdOwNoConf:
      return QStringLiteral("出力時に同名のファイルが存在した場合、問い合わせずに上書きします。");
    case kIdOutput:
      return QStringLiteral(
          "変換先の PDF ファイルか、PDF ファイルを出力するフォルダを指定します。");
    case kIdOutputBrowse:
      return QStringLiteral("出力の「ファイル／フォルダ(O)」を選択するダイアログを開きます。");
    case kIdConvert: return QStringLiteral("変換を開始します。");
    case kIdNeNoConf:
      return QStringLiteral("出力時にフォルダが存在しない場合、問い合わせずに作成します。");
    case kIdNameBase:
      return QStringLiteral("出力時のファイル名を「入力ファイル名．PDF」 にします。");
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
  if (status_->currentMessage() != text) status_->showMessage(text);
}

QString MainDialog::HelpLine() const { return status_->currentMessage(); }

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
