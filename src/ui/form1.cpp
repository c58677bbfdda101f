// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

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
#include "ui/form6.h"
#include "ui/form7.h"
#include "ui/form8.h"
#include "ui/forms.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace ui;
using snack::Field;
using snack::fieldCaption;

namespace {
Form1* mainForm = nullptr;

// The box or list that shows each header field, by Field; none for the spare.
// clang-format off
constexpr std::array<const char*, snack::kFieldCount> kBoxOf = {
  "Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7",                 // name .. calories
  "Text8", "Text9", "Text10", "Text11", "Text12", "Text13", "Combo2", "Combo1",  // year .. sound
  nullptr,                                                                      // spare
};
// clang-format on
}  // namespace

Form1* MainForm() { return mainForm; }

ClickLabel::ClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setFocusPolicy(Qt::StrongFocus);
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e) {
  QLabel::mouseDoubleClickEvent(e);
  emit doubleClicked();
}

void ClickLabel::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        emit doubleClicked();
        return;
      }
      break;
    default:
      break;
  }
  QLabel::keyPressEvent(e);
}

void ClickLabel::paintEvent(QPaintEvent* e) {
  QLabel::paintEvent(e);
  if (!hasFocus()) return;
  QStylePainter painter(this);
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  frame.backgroundColor = palette().color(backgroundRole());
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
}

Form1::Form1() {
  mainForm = this;
  installInputNames();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Crumbwright for POSTPET　　Ver1.01    "));
  setWindowIcon(programIcon());
  keepCaptionsFitted(this);
  BuildControls();
  BuildMenus();
  Form_Load();
}

Form1::~Form1() {
  if (mainForm == this) mainForm = nullptr;
}

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int l, int t, int w,
                  int h, bool mincho = true) {
  auto* label = placed(new QLabel(caption, parent), name, l, t, w, h);
  if (mincho) {
    label->setFont(japaneseFont(kMincho, 9));
    setTextColour(label, kNavy);
  }
  return label;
}

QLineEdit* makeBox(QWidget* parent, const char* name, const QString& text, int l, int t, int w,
                   int h) {
  return placed(new QLineEdit(text, parent), name, l, t, w, h);
}

QPlainTextEdit* makeTextArea(QWidget* parent, const char* name, int l, int t, int w, int h) {
  auto* area = placed(new QPlainTextEdit(parent), name, l, t, w, h);
  area->setLineWrapMode(QPlainTextEdit::NoWrap);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setTabChangesFocus(true);
  area->document()->setDocumentMargin(1);
  return area;
}

QComboBox* makeList(QWidget* parent, const char* name, int l, int t, int w, int h) {
  auto* combo = placed(new QComboBox(parent), name, l, t, w, h);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMaxVisibleItems(16);
  return combo;
}

// The text of a text or number box.
QString boxText(const QWidget* w) {
  if (const auto* area = qobject_cast<const QPlainTextEdit*>(w)) return area->toPlainText();
  return static_cast<const QLineEdit*>(w)->text();
}

}  // namespace

void Form1::BuildControls() {
  auto* c = new QWidget(this);
  c->setFixedSize(px(6390), px(3765));
  setCentralWidget(c);

  // Captions and boxes, in the order they are drawn.
  makeLabel(c, "Label1", fieldCaption(Field::Name), 120, 120, 1095, 255);
  auto* text1 = makeTextArea(c, "Text1", 1320, 120, 4935, 270);
  makeLabel(c, "Label2", fieldCaption(Field::Description), 120, 480, 1095, 255);
  auto* text2 = makeTextArea(c, "Text2", 1320, 480, 4935, 270);
  makeLabel(c, "Label3", fieldCaption(Field::Author), 120, 840, 1095, 255);
  auto* text3 = makeTextArea(c, "Text3", 1320, 840, 4935, 270);
  makeLabel(c, "Label4", fieldCaption(Field::Number), 120, 1200, 1095, 255);
  auto* text4 = makeBox(c, "Text4", {}, 1320, 1200, 1695, 270);
  makeLabel(c, "Label5", fieldCaption(Field::Sound), 3600, 1200, 615, 255);
  Combo1 = makeList(c, "Combo1", 4200, 1200, 2055, 300);
  makeLabel(c, "Label6", fieldCaption(Field::Quantity), 120, 1680, 1095, 255);
  auto* text5 = makeBox(c, "Text5", {}, 1320, 1680, 1095, 270);
  makeLabel(c, "Label7", fieldCaption(Field::Calories), 120, 2040, 1095, 255);
  auto* text6 = makeBox(c, "Text6", {}, 1320, 2460, 1095, 270);
  makeLabel(c, "Label8", QStringLiteral("個"), 2640, 1800, 255, 255);
  makeLabel(c, "Label9", QStringLiteral("Kcal"), 2520, 2160, 375, 255);
  makeLabel(c, "Label10", fieldCaption(Field::BestBeforeDays), 120, 2400, 855, 255);
  auto* text7 = makeBox(c, "Text7", {}, 1320, 2100, 1095, 270);
  makeLabel(c, "Label11", QStringLiteral("日"), 2640, 2520, 255, 255);

  auto* frame = placed(new QGroupBox(snack::kOpenedCaption, c), "Frame1", 3120, 1680, 3135, 1095);
  setTextColour(frame, kNavy);
  const QString zero = QStringLiteral("00");
  auto* text8 = makeBox(frame, "Text8", QStringLiteral("0000"), 720, 240, 495, 270);
  auto* text9 = makeBox(frame, "Text9", zero, 1560, 240, 375, 270);
  auto* text10 = makeBox(frame, "Text10", zero, 2280, 240, 375, 270);
  makeLabel(frame, "Label12", QStringLiteral("年"), 1320, 360, 255, 255, false);
  makeLabel(frame, "Label13", QStringLiteral("月"), 2040, 360, 255, 255, false);
  makeLabel(frame, "Label14", QStringLiteral("日"), 2760, 360, 255, 255, false);
  auto* text11 = makeBox(frame, "Text11", zero, 840, 600, 375, 270);
  auto* text12 = makeBox(frame, "Text12", zero, 1560, 600, 375, 270);
  auto* text13 = makeBox(frame, "Text13", zero, 2280, 600, 375, 270);
  makeLabel(frame, "Label15", QStringLiteral("時"), 1320, 720, 255, 255, false);
  makeLabel(frame, "Label16", QStringLiteral("分"), 2040, 720, 255, 255, false);
  makeLabel(frame, "Label17", QStringLiteral("秒"), 2760, 720, 255, 255, false);
  Label18 = placed(new ClickLabel(snack::kUnopenedText, frame), "Label18", 120, 600, 615, 255);
  Label18->setFont(japaneseFont(kGothic, 9, true));
  setTextColour(Label18, kBrown);
  Label18->setToolTip(QStringLiteral("ダブルクリック、または Ctrl+R で未開封に戻します"));
  Label18->setAccessibleName(QStringLiteral("開封状態"));

  makeLabel(c, "Label19", fieldCaption(Field::Type), 120, 2880, 1095, 255);
  Combo2 = makeList(c, "Combo2", 1320, 2880, 4935, 300);
  makeLabel(c, "Label20", snack::kFileCaption, 120, 3360, 1215, 255);
  Text14 = makeBox(c, "Text14", QStringLiteral("おやつw.pac"), 1560, 3360, 4695, 270);

  // Each box is named by the caption beside it; the date boxes by their frame.
  const std::pair<const char*, QWidget*> captioned[] = {
      {"Label1", text1},   {"Label2", text2},  {"Label3", text3}, {"Label4", text4},
      {"Label5", Combo1},  {"Label6", text5},  {"Label7", text7}, {"Label10", text6},
      {"Label19", Combo2}, {"Label20", Text14}};
  for (const auto& [label, box] : captioned) {
    auto* l = c->findChild<QLabel*>(QLatin1String(label));
    l->setBuddy(box);
    nameInput(box, l->text());
  }
  for (auto [box, field] : {std::pair{text8, Field::Year},
                            {text9, Field::Month},
                            {text10, Field::Day},
                            {text11, Field::Hour},
                            {text12, Field::Minute},
                            {text13, Field::Second}})
    box->setAccessibleName(fieldCaption(field));

  for (int i = 0; i < snack::kFieldCount; ++i)
    if (kBoxOf[i]) boxes_[i] = c->findChild<QWidget*>(QLatin1String(kBoxOf[i]));

  const QList<QWidget*> order = {text1,  text2,  text3,   text4,  Combo1, text5,
                                 text6,  text7,  text8,   text9,  text10, text11,
                                 text12, text13, Label18, Combo2, Text14};
  for (int i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
  for (QWidget* w : order) w->installEventFilter(this);
  connect(Label18, &ClickLabel::doubleClicked, this, &Form1::Label18_DblClick);
}

void Form1::BuildMenus() {
  auto* fileMenu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  fileMenu->setObjectName(QStringLiteral("MENU_FILE"));
  auto add = [this](QMenu* menu, const char* name, const QString& text, const QKeySequence& key,
                    auto slot) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    menuItems_.append(a);
  };
  add(fileMenu, "FILE_READ", QStringLiteral("おやつファイルの読込"),
      QKeySequence(Qt::CTRL | Qt::Key_L), &Form1::FILE_READ_Click);
  add(fileMenu, "FILE_LIST", QStringLiteral("おやつの一覧"), QKeySequence(Qt::CTRL | Qt::Key_I),
      &Form1::FILE_LIST_Click);
  add(fileMenu, "FILE_HISTORY", QStringLiteral("変更の履歴…"), QKeySequence(Qt::CTRL | Qt::Key_H),
      &Form1::FILE_HISTORY_Click);
  add(fileMenu, "FILE_SAVE", QStringLiteral("おやつファイルの書込"),
      QKeySequence(Qt::CTRL | Qt::Key_S), &Form1::FILE_SAVE_Click);
  add(fileMenu, "FILE_REFRESH", QStringLiteral("未開封に戻す"), QKeySequence(Qt::CTRL | Qt::Key_R),
      &Form1::FILE_REFRESH_Click);
  add(fileMenu, "FILE_FOLDER", QStringLiteral("おやつフォルダ再設定"),
      QKeySequence(Qt::CTRL | Qt::Key_O), &Form1::FILE_FOLDER_Click);
  add(fileMenu, "FILE_NEW", QStringLiteral("おやつの工場"), QKeySequence(Qt::CTRL | Qt::Key_N),
      &Form1::FILE_NEW_Click);
  add(fileMenu, "FILE_PICTURE", QStringLiteral("絵からおやつを作る"),
      QKeySequence(Qt::CTRL | Qt::Key_M), &Form1::FILE_PICTURE_Click);
  add(fileMenu, "FILE_QUIT", QStringLiteral("終了"), QKeySequence(Qt::CTRL | Qt::Key_Q),
      &Form1::FILE_QUIT_Click);
  auto* helpMenu = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  helpMenu->setObjectName(QStringLiteral("MENU_HELP"));
  add(helpMenu, "HELP_INFO", QStringLiteral("このプロクラムについて"),
      QKeySequence(Qt::CTRL | Qt::Key_A), &Form1::HELP_INFO_Click);
}

// The menu's Ctrl shortcuts win over the text boxes' own key bindings (Ctrl+A).
bool Form1::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(e);
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* a : menuItems_) {
      if (a->shortcut() == pressed) {
        e->ignore();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

void Form1::FillList(QComboBox* combo, const snack::NameList& table) {
  QStringList items;
  items.reserve(256);
  for (int i = 0; i <= 255; ++i) items.append(snack::listItemText(table[i]));
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

void Form1::ShowSnackRecord(const QString& fileName) {
  Text14->setText(fileName);
  const snack::BoxEntries shown = snack::shownBoxes(Module1::SnackRecord);
  for (const snack::FieldLayout& f : snack::kFields) {
    const int i = static_cast<int>(f.field);
    if (auto* area = qobject_cast<QPlainTextEdit*>(boxes_[i])) {
      area->setPlainText(shown[i].text);
      // A text still showing this is saved as the bytes it came from.
      const int t = i - static_cast<int>(snack::Field::Name);
      loadedBytes_[t] = *shown[i].keptBytes;
      loadedText_[t] = area->toPlainText();
    } else if (auto* line = qobject_cast<QLineEdit*>(boxes_[i])) {
      line->setText(shown[i].text);
    } else if (auto* combo = qobject_cast<QComboBox*>(boxes_[i])) {
      combo->setCurrentIndex(shown[i].position);
    }
  }
  ShowOpenedState(snack::isOpened(Module1::SnackRecord));
  saved_ = Boxes();
}

void Form1::ShowOpenedState(bool opened) {
  Label18->setText(opened ? snack::kOpenedText : snack::kUnopenedText);
  announceShownText(Label18, Label18->text());
}

void Form1::ShowUnopened() {
  ShowOpenedState(false);
  for (const snack::FieldLayout& f : snack::kFields) {
    const int i = static_cast<int>(f.field);
    if (f.opened == snack::Opened::No || !boxes_[i]) continue;
    static_cast<QLineEdit*>(boxes_[i])->setText(QStringLiteral("0"));
    saved_[i].text = QStringLiteral("0");
  }
}

void Form1::ShowRefreshed() {
  ShowUnopened();
  snack::storeRefreshed(Module1::SnackRecord);
}

bool Form1::LoadSnackFile(QWidget* parent, const QString& name, const platform::NativePath& path) {
  // Edits to the current snack would be replaced by the one loaded now.
  if (!SettleUnsavedEdits(parent)) return false;
  snack::SnackRecordType record;
  const snack::Outcome done = snack::loadSnack(path, record);
  if (!done.ok) {
    ShowError(parent, done.message);
    return false;
  }
  Module1::SnackFileName = name;
  Module1::SnackFilePath = path;
  Module1::SnackRecord = record;
  ShowSnackRecord(name);
  return true;
}

snack::BoxEntries Form1::Boxes() const {
  snack::BoxEntries entries;
  for (const snack::FieldLayout& f : snack::kFields) {
    const int i = static_cast<int>(f.field);
    const QWidget* w = boxes_[i];
    if (!w) continue;
    snack::BoxEntry& e = entries[i];
    e.caption = w->accessibleName();
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
      e.position = SelectedPosition(combo);
      continue;
    }
    e.text = boxText(w);
    if (f.kind == snack::Kind::Text) {
      const int t = i - static_cast<int>(snack::Field::Name);
      if (e.text == loadedText_[t]) e.keptBytes = loadedBytes_[t];
    }
  }
  return entries;
}

std::optional<snack::HeaderValues> Form1::CollectValues(QString* error) const {
  return snack::valuesFromBoxes(Boxes(), error);
}

void Form1::FILE_READ_Click() {
  Module1::DialogMode = Module1::kModeSnackFile;
  Form3Window.show();
  hide();
}

void Form1::FILE_LIST_Click() { Form7Window.show(); }

void Form1::FILE_HISTORY_Click() { Form8Window.show(); }

void Form1::FILE_SAVE_Click() { Save(this); }

bool Form1::Save(QWidget* parent) {
  if (Module1::SnackFilePath.isEmpty()) {
    ShowError(parent,
              QStringLiteral("おやつファイルがまだ読み込まれていません。"
                             "「おやつファイルの読込」でファイルを選んでから書き込んでください。"));
    return false;
  }
  QString error;
  const std::optional<snack::HeaderValues> v = CollectValues(&error);
  if (!v) {
    ShowError(parent, error);
    return false;
  }
  snack::HistoryAction history(HistoryFolder(), QStringLiteral("保存"));
  snack::SaveOptions options;
  options.history = &history;
  const snack::Outcome done = snack::saveSnack(Module1::SnackFilePath, *v, options);
  if (!done.ok) {
    ShowError(parent, done.message);
    return false;
  }
  snack::storeSaved(*v, Module1::SnackRecord);
  ShowOpenedState(snack::isOpened(Module1::SnackRecord));
  saved_ = Boxes();
  return true;
}

bool Form1::HasUnsavedEdits() const {
  if (Module1::SnackFilePath.isEmpty()) return false;
  const snack::BoxEntries now = Boxes();
  for (const snack::FieldLayout& f : snack::kFields) {
    const int i = static_cast<int>(f.field);
    if (!snack::sameValue(f, now[i], saved_[i])) return true;
  }
  return false;
}

bool Form1::SettleUnsavedEdits(QWidget* parent) {
  if (!HasUnsavedEdits()) return true;
  const int answer = Ask(
      parent,
      QStringLiteral("おやつファイル「%1」への変更を保存しますか？").arg(Module1::SnackFileName),
      {QStringLiteral("保存する"), QStringLiteral("保存しない"), QStringLiteral("キャンセル")});
  if (answer == 0) return Save(parent);
  return answer == 1;
}

void Form1::FILE_FOLDER_Click() {
  Module1::DialogMode = Module1::kModeFolderAgain;
  Form2Window.show();
  hide();
}

void Form1::FILE_NEW_Click() {
  snack::HistoryAction history(HistoryFolder(), QStringLiteral("工場"));
  if (!AskToReplaceUnkept(this, platform::joinPath(snack::kFactoryFolder, Text14->text()), history))
    return;
  const snack::Outcome done = snack::buildSnack(snack::kFactoryFolder, Text14->text(),
                                                Module1::SnackFilePath, 1 << 20, &history);
  if (!done.ok) ShowError(this, done.message);
}

void Form1::FILE_QUIT_Click() {
  if (SettleUnsavedEdits(this)) ui::endProgram();
}

void Form1::FILE_PICTURE_Click() { Form6Window.show(); }

void Form1::HELP_INFO_Click() { Form5Window.show(); }

void Form1::FILE_REFRESH_Click() { Form4Window.show(); }

void Form1::Label18_DblClick() { Form4Window.show(); }

void Form1::closeEvent(QCloseEvent* e) {
  if (!SettleUnsavedEdits(this)) {
    e->ignore();
    return;
  }
  e->accept();
  ui::endProgram();
}
