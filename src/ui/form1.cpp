// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>

#include "app/module1.h"
#include "app/settings.h"
#include "platform/paths.h"
#include "snack/fields.h"
#include "snack/operations.h"
#include "ui/access.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/forms.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace ui;

namespace {
Form1* mainForm = nullptr;
const QString kPlaceholder = QStringLiteral("--------");
}  // namespace

Form1* MainForm() { return mainForm; }

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e) {
  QLabel::mouseDoubleClickEvent(e);
  emit doubleClicked();
}

Form1::Form1() {
  mainForm = this;
  installInputNames();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Crumbwright for POSTPET　　Ver1.01    "));
  setWindowIcon(QIcon(QStringLiteral(":/crumbwright-32.png")));
  keepCaptionsFitted(this);
  BuildControls();
  BuildMenus();
  Form_Load();
}

Form1::~Form1() {
  if (mainForm == this) mainForm = nullptr;
}

namespace {

QLabel* makeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                  bool mincho = true) {
  auto* label = new QLabel(caption, parent);
  placeTwips(label, l, t, w, h);
  if (mincho) {
    label->setFont(japaneseFont(kMincho, 9));
    setTextColour(label, kNavy);
  }
  return label;
}

QLineEdit* makeBox(QWidget* parent, const QString& text, int l, int t, int w, int h) {
  auto* box = new QLineEdit(text, parent);
  placeTwips(box, l, t, w, h);
  return box;
}

QPlainTextEdit* makeTextArea(QWidget* parent, int l, int t, int w, int h) {
  auto* area = new QPlainTextEdit(parent);
  placeTwips(area, l, t, w, h);
  area->setLineWrapMode(QPlainTextEdit::NoWrap);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setTabChangesFocus(true);
  area->document()->setDocumentMargin(1);
  return area;
}

QComboBox* makeList(QWidget* parent, int l, int t, int w, int h) {
  auto* combo = new QComboBox(parent);
  placeTwips(combo, l, t, w, h);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMaxVisibleItems(16);
  return combo;
}

void caption(QLabel* label, QWidget* box) {
  label->setBuddy(box);
  nameInput(box, label->text());
}

}  // namespace

void Form1::BuildControls() {
  auto* c = new QWidget(this);
  c->setFixedSize(px(6390), px(3765));
  setCentralWidget(c);

  Label1 = makeLabel(c, QStringLiteral("おやつの名前"), 120, 120, 1095, 255);
  Text1 = makeTextArea(c, 1320, 120, 4935, 270);
  Label2 = makeLabel(c, QStringLiteral("おやつの説明"), 120, 480, 1095, 255);
  Text2 = makeTextArea(c, 1320, 480, 4935, 270);
  Label3 = makeLabel(c, QStringLiteral("おやつの作者"), 120, 840, 1095, 255);
  Text3 = makeTextArea(c, 1320, 840, 4935, 270);
  Label4 = makeLabel(c, QStringLiteral("おやつの番号"), 120, 1200, 1095, 255);
  Text4 = makeBox(c, {}, 1320, 1200, 1695, 270);
  Label5 = makeLabel(c, QStringLiteral("食事音"), 3600, 1200, 615, 255);
  Combo1 = makeList(c, 4200, 1200, 2055, 300);
  Label6 = makeLabel(c, QStringLiteral("おやつの数量"), 120, 1680, 1095, 255);
  Text5 = makeBox(c, {}, 1320, 1680, 1095, 270);
  Label7 = makeLabel(c, QStringLiteral("おやつの熱量"), 120, 2040, 1095, 255);
  Text6 = makeBox(c, {}, 1320, 2460, 1095, 270);
  Label8 = makeLabel(c, QStringLiteral("個"), 2640, 1800, 255, 255);
  Label9 = makeLabel(c, QStringLiteral("Kcal"), 2520, 2160, 375, 255);
  Label10 = makeLabel(c, QStringLiteral("賞味期限"), 120, 2400, 855, 255);
  Text7 = makeBox(c, {}, 1320, 2100, 1095, 270);
  Label11 = makeLabel(c, QStringLiteral("日"), 2640, 2520, 255, 255);

  Frame1 = new QGroupBox(QStringLiteral("おやつ開封日時"), c);
  placeTwips(Frame1, 3120, 1680, 3135, 1095);
  setTextColour(Frame1, kNavy);
  Text8 = makeBox(Frame1, QStringLiteral("0000"), 720, 240, 495, 270);
  Text9 = makeBox(Frame1, QStringLiteral("00"), 1560, 240, 375, 270);
  Text10 = makeBox(Frame1, QStringLiteral("00"), 2280, 240, 375, 270);
  Label12 = makeLabel(Frame1, QStringLiteral("年"), 1320, 360, 255, 255, false);
  Label13 = makeLabel(Frame1, QStringLiteral("月"), 2040, 360, 255, 255, false);
  Label14 = makeLabel(Frame1, QStringLiteral("日"), 2760, 360, 255, 255, false);
  Text11 = makeBox(Frame1, QStringLiteral("00"), 840, 600, 375, 270);
  Text12 = makeBox(Frame1, QStringLiteral("00"), 1560, 600, 375, 270);
  Text13 = makeBox(Frame1, QStringLiteral("00"), 2280, 600, 375, 270);
  Label15 = makeLabel(Frame1, QStringLiteral("時"), 1320, 720, 255, 255, false);
  Label16 = makeLabel(Frame1, QStringLiteral("分"), 2040, 720, 255, 255, false);
  Label17 = makeLabel(Frame1, QStringLiteral("秒"), 2760, 720, 255, 255, false);
  Label18 = new ClickLabel(QStringLiteral("未開封"), Frame1);
  placeTwips(Label18, 120, 600, 615, 255);
  Label18->setFont(japaneseFont(kGothic, 9, true));
  setTextColour(Label18, kBrown);
  Label18->setToolTip(QStringLiteral("ダブルクリックで未開封に戻します"));

  Label19 = makeLabel(c, QStringLiteral("おやつの種類"), 120, 2880, 1095, 255);
  Combo2 = makeList(c, 1320, 2880, 4935, 300);
  Label20 = makeLabel(c, QStringLiteral("おやつファイル"), 120, 3360, 1215, 255);
  Text14 = makeBox(c, QStringLiteral("おやつw.pac"), 1560, 3360, 4695, 270);

  caption(Label1, Text1);
  caption(Label2, Text2);
  caption(Label3, Text3);
  caption(Label4, Text4);
  caption(Label5, Combo1);
  caption(Label6, Text5);
  caption(Label7, Text7);
  caption(Label10, Text6);
  caption(Label19, Combo2);
  caption(Label20, Text14);
  const QStringList dateParts = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日"),
                                 QStringLiteral("時"), QStringLiteral("分"), QStringLiteral("秒")};
  const QList<QLineEdit*> dateBoxes = {Text8, Text9, Text10, Text11, Text12, Text13};
  for (int i = 0; i < 6; ++i)
    dateBoxes[i]->setAccessibleName(Frame1->title() + QStringLiteral("（%1）").arg(dateParts[i]));

  const QList<QWidget*> order = {Text1, Text2, Text3,  Text4,  Combo1, Text5,  Text6,  Text7,
                                 Text8, Text9, Text10, Text11, Text12, Text13, Combo2, Text14};
  for (int i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
  for (QWidget* w : order) w->installEventFilter(this);
  connect(Label18, &ClickLabel::doubleClicked, this, &Form1::Label18_DblClick);
}

void Form1::BuildMenus() {
  MENU_FILE = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  auto add = [this](QMenu* menu, const QString& text, const QKeySequence& key, auto slot) {
    QAction* a = menu->addAction(text);
    a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  FILE_READ = add(MENU_FILE, QStringLiteral("おやつファイルの読込"),
                  QKeySequence(Qt::CTRL | Qt::Key_L), &Form1::FILE_READ_Click);
  FILE_SAVE = add(MENU_FILE, QStringLiteral("おやつファイルの書込"),
                  QKeySequence(Qt::CTRL | Qt::Key_S), &Form1::FILE_SAVE_Click);
  FILE_FOLDER = add(MENU_FILE, QStringLiteral("おやつフォルダ再設定"),
                    QKeySequence(Qt::CTRL | Qt::Key_O), &Form1::FILE_FOLDER_Click);
  FILE_NEW = add(MENU_FILE, QStringLiteral("おやつの工場"), QKeySequence(Qt::CTRL | Qt::Key_N),
                 &Form1::FILE_NEW_Click);
  FILE_QUIT = add(MENU_FILE, QStringLiteral("終了"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                  &Form1::FILE_QUIT_Click);
  MENU_HELP = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  HELP_INFO = add(MENU_HELP, QStringLiteral("このプロクラムについて"),
                  QKeySequence(Qt::CTRL | Qt::Key_A), &Form1::HELP_INFO_Click);
}

// The menu's Ctrl shortcuts win over the text boxes' own key bindings (Ctrl+A).
bool Form1::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(e);
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* a : {FILE_READ, FILE_SAVE, FILE_FOLDER, FILE_NEW, FILE_QUIT, HELP_INFO}) {
      if (a->shortcut() == pressed) {
        e->ignore();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

void Form1::FillList(QComboBox* combo, const std::array<QString, 257>& table) {
  QStringList items;
  items.reserve(256);
  for (int i = 0; i <= 255; ++i) items.append(table[i].isEmpty() ? kPlaceholder : table[i]);
  combo->addItems(items);
  combo->setCurrentIndex(-1);
}

void Form1::Form_Load() {
  QString error;
  if (const auto folder = ReadSnackFolder(&error)) {
    Module1::SnackFolder = *folder;
  } else {
    ShowError(nullptr, error + QStringLiteral("\nおやつフォルダを選び直してください。"));
    Module1::SnackFolder = kNoFolder;
  }
  if (Module1::SnackFolder == kNoFolder) {
    Module1::DialogMode = Module1::kModeFirstRun;
    Form2Window.show();
    hide();
    hiddenByLoad_ = true;
  }
  if (!ReadNameTable(kFoodTypeFile, Module1::FoodTypeNames, &error))
    ShowError(nullptr, error + QStringLiteral("\nおやつの種類はすべて「--------」になります。"));
  FillList(Combo2, Module1::FoodTypeNames);
  if (!ReadNameTable(kSoundFile, Module1::SoundNames, &error))
    ShowError(nullptr, error + QStringLiteral("\n食事音はすべて「--------」になります。"));
  FillList(Combo1, Module1::SoundNames);
}

int Form1::SelectedPosition(const QComboBox* combo) {
  const int current = combo->currentIndex();
  const QString typed = combo->currentText();
  if (current >= 0 && combo->itemText(current) == typed) return current;
  return combo->findText(typed, Qt::MatchExactly);
}

void Form1::ShowSnackRecord() {
  using namespace snack;
  const SnackRecordType& r = Module1::SnackRecord;
  QPlainTextEdit* areas[3] = {Text1, Text2, Text3};
  const QByteArray bytes[3] = {textBytes(r.NameBytes, r.NameLength),
                               textBytes(r.DescriptionBytes, r.DescriptionLength),
                               textBytes(r.AuthorBytes, r.AuthorLength)};
  for (int i = 0; i < 3; ++i) {
    areas[i]->setPlainText(displayText(bytes[i]));
    loadedBytes_[i] = bytes[i];
    loadedText_[i] = areas[i]->toPlainText();
    loaded_[i] = true;
  }
  Text4->setText(numberText(join16(r.NumberHigh, r.NumberLow), false));
  Text5->setText(numberText(join16(r.QuantityHigh, r.QuantityLow), true));
  Text6->setText(numberText(join16(r.BestBeforeHigh, r.BestBeforeLow), true));
  Text7->setText(numberText(join16(r.CaloriesHigh, r.CaloriesLow), true));
  Combo2->setCurrentIndex(r.TypeIndex);
  Combo1->setCurrentIndex(r.SoundIndex);
  Text8->setText(QString::number(join16(r.YearHigh, r.YearLow)));
  Text9->setText(QString::number(r.Month));
  Text10->setText(QString::number(r.Day));
  Text11->setText(QString::number(r.Hour));
  Text12->setText(QString::number(r.Minute));
  Text13->setText(QString::number(r.Second));
  Label18->setText(isOpened(r) ? QStringLiteral("開封") : QStringLiteral("未開封"));
}

void Form1::FILE_READ_Click() {
  Module1::DialogMode = Module1::kModeSnackFile;
  Form3Window.show();
  hide();
}

void Form1::FILE_SAVE_Click() {
  if (Module1::SnackFilePath.isEmpty()) {
    ShowError(this,
              QStringLiteral("おやつファイルがまだ読み込まれていません。"
                             "「おやつファイルの読込」でファイルを選んでから書き込んでください。"));
    return;
  }
  QString error;
  snack::HeaderValues v;
  QPlainTextEdit* areas[3] = {Text1, Text2, Text3};
  QByteArray* texts[3] = {&v.name, &v.description, &v.author};
  for (int i = 0; i < 3; ++i) {
    const QString text = areas[i]->toPlainText();
    if (loaded_[i] && text == loadedText_[i]) {
      *texts[i] = loadedBytes_[i];
      continue;
    }
    const QString name = areas[i]->accessibleName();
    const auto bytes = snack::encodeText(text, name, &error);
    if (!bytes) return ShowError(this, error);
    *texts[i] = *bytes;
  }
  struct NumberBox {
    QLineEdit* box;
    std::uint16_t* value;
    bool unlimited;
  };
  const NumberBox numbers[] = {{Text4, &v.number, true},
                               {Text5, &v.quantity, true},
                               {Text6, &v.bestBeforeDays, true},
                               {Text7, &v.calories, true},
                               {Text8, &v.year, false}};
  for (const NumberBox& n : numbers) {
    const auto value =
        snack::parseNumber(n.box->text(), n.box->accessibleName(), n.unlimited, &error);
    if (!value) return ShowError(this, error);
    *n.value = *value;
  }
  const std::pair<QLineEdit*, std::uint8_t*> bytes[] = {{Text9, &v.month},
                                                        {Text10, &v.day},
                                                        {Text11, &v.hour},
                                                        {Text12, &v.minute},
                                                        {Text13, &v.second}};
  for (const auto& [box, value] : bytes) {
    const auto b = snack::parseByte(box->text(), box->accessibleName(), &error);
    if (!b) return ShowError(this, error);
    *value = *b;
  }
  const std::pair<QComboBox*, std::uint8_t*> lists[] = {{Combo2, &v.typeIndex},
                                                        {Combo1, &v.soundIndex}};
  for (const auto& [combo, value] : lists) {
    const int position = SelectedPosition(combo);
    if (position < 0 || position > 255) {
      return ShowError(this,
                       QStringLiteral("「%1」で項目が選ばれていません。一覧から選んでください。")
                           .arg(combo->accessibleName()));
    }
    *value = static_cast<std::uint8_t>(position);
  }
  const snack::Outcome done = snack::saveSnack(Module1::SnackFilePath, v);
  if (!done.ok) return ShowError(this, done.message);
  snack::storeSaved(v, Module1::SnackRecord);
}

void Form1::FILE_FOLDER_Click() {
  Module1::DialogMode = Module1::kModeFolderAgain;
  Form2Window.show();
  hide();
}

void Form1::FILE_NEW_Click() {
  const snack::Outcome done =
      snack::buildSnack(snack::kFactoryFolder, Text14->text(), Module1::SnackFilePath);
  if (!done.ok) ShowError(this, done.message);
}

void Form1::FILE_QUIT_Click() { platform::endProgram(); }

void Form1::HELP_INFO_Click() { Form5Window.show(); }

void Form1::Label18_DblClick() { Form4Window.show(); }

void Form1::closeEvent(QCloseEvent* e) {
  e->accept();
  platform::endProgram();
}
