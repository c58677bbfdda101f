// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Messages to the user. Tests install a recorder so no test waits on a dialog.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace ui {

// Shows a warning with the program's title, modal to `parent` when given.
void ShowError(QWidget* parent, const QString& text);

// Messages longer than 2,000 characters keep their start and end.
QString Shortened(const QString& text);

// While set, messages go to the recorder instead of a dialog.
void SetMessageRecorder(std::function<void(const QString&)> recorder);

// Asks a question with the given answers, the first the default and the last
// the one Escape gives; returns the position of the answer chosen.
int Ask(QWidget* parent, const QString& text, const QStringList& answers);

// While set, questions go to the answerer, which gives the position of the
// answer, instead of a dialog.
void SetQuestionAnswerer(std::function<int(const QString&, const QStringList&)> answerer);

// Asks for the name of a file to write, starting at `suggested`; empty when
// the user cancels.
QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& suggested,
                       const QString& filter);

// While set, the chooser gives the file name (or empty) instead of a dialog.
void SetSaveFileChooser(std::function<QString(const QString& suggested)> chooser);

// Asks for an existing file to read; empty when the user cancels.
QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& filter);

// While set, the chooser gives the file name (or empty) instead of a dialog.
void SetOpenFileChooser(std::function<QString()> chooser);

}  // namespace ui
