// The document list on the Qt toolkit (offscreen): the status button opens it, every job has a row
// with its state in Swedish, one label per cause, a job is removed to the trash only after the
// question, the list follows the folder while it is open, shows whole texts and keeps its place;
// and nothing a person reads, in the window or the list, comes from anywhere but the one table.
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/frm_list.h"
#include "app/frm_main.h"
#include "app/printer_check.h"
#include "platform/dos_path.h"
#include "platform/process.h"
#include "platform/qt/qt_toolkit.h"
#include "queue/job_list.h"
#include "ui_text/ui_text.h"

// The Qt toolkit, with a desktop whose trash can be taken away.
class TrashToolkit : public qtui::QtToolkit {
 public:
  bool moveToTrash(const std::string& folder, const std::string& name) override {
    return trashWorks && qtui::QtToolkit::moveToTrash(folder, name);
  }
  bool trashWorks = true;
};

class ListTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void rowsStatesRemovalAndRefresh();
  void withoutATrashAJobIsDeletedOnlyAfterASecondYes();
  void wholeTextsResizeAndPlace();
  void everyVisibleTextIsFromTheTable();
  void theQuestionAnswersInSwedish();

 private:
  static QWidget* topLevel(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == QLatin1String(name)) return widget;
    return nullptr;
  }
  void write(const QString& name, const QByteArray& bytes) {
    QFile file(spool_.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  // The state column of every row, by job name.
  QMap<QString, QString> states() {
    auto* table = topLevel("frmList")->findChild<QTableWidget*>(QStringLiteral("lvwJobs"));
    QMap<QString, QString> byName;
    for (int r = 0; r < table->rowCount(); ++r)
      byName[table->item(r, 0)->text()] = table->item(r, 3)->text();
    return byName;
  }
  void click(const char* name) {
    QTest::mouseClick(topLevel("frmList")->findChild<QPushButton*>(QLatin1String(name)),
                      Qt::LeftButton);
  }

  QTemporaryDir spool_, data_;
  std::unique_ptr<TrashToolkit> toolkit_;
  std::unique_ptr<frmMain> form_;
};

void ListTest::init() {
  qputenv("XDG_DATA_HOME", data_.path().toLocal8Bit());
  // A file goes to the home trash only when it lies on home's file system, which /tmp (often a
  // tmpfs) need not be.
  qputenv("HOME", data_.path().toLocal8Bit());
  const QByteArray option = "PRINTINGDIR=" + spool_.path().toLocal8Bit() + "/";
  const char* argv[] = {"lptspool", option.constData()};
  platform::setArguments(2, argv);
  toolkit_ = std::make_unique<TrashToolkit>();
  form_ = std::make_unique<frmMain>(*toolkit_);
  form_->say = [](const std::string&) {};
  // A printer in a folder that is not there, as the start-up check finds it.
  qputenv("LPT1", (data_.path() + "/nosuch/lp").toLocal8Bit());
  std::string dos;
  platform::toDosPath(spool_.path().toStdString() + "/", dos);
  const PrinterCheck printer = serverPrinterCheck(dos);
  form_->printerWorks = printer.works;
  form_->printerCause = printer.cause;
  form_->Form_Load();
  form_->window->show();
}

void ListTest::cleanup() {
  form_.reset();
  toolkit_.reset();
}

void ListTest::rowsStatesRemovalAndRefresh() {
  write("FAIL.PS", "12345");
  write("BUSY.PS", "1");
  write("WAIT.PS", "1");
  write("bad\nname.ps", "1");
  const platform::JobStateStore& store = form_->tracker->store();
  auto launcher = [&](const char* name, queue::Kind kind, const char* reason, std::int64_t pid) {
    platform::JobIdentity job;
    platform::identityOf(spool_.filePath(name).toStdString(), job);
    queue::JobRecord r = queue::advance(queue::readRecord(store, name, job), name, kind, reason,
                                        pid, platform::unixTime());
    r.job = job;
    queue::writeRecord(store, r);
  };
  write("REST.PS", "1");
  const std::string failure =
      "lpt1: " + data_.path().toStdString() + "/nosuch/lp: No such file or directory";
  launcher("FAIL.PS", queue::Kind::Failed, failure.c_str(), 1);
  launcher("FAIL.PS", queue::Kind::Failed, failure.c_str(), 2);
  launcher("REST.PS", queue::Kind::Waiting, failure.c_str(), 3);
  launcher("BUSY.PS", queue::Kind::Printing, "", platform::processId());
  queue::TickOutcome outcome;
  outcome.found = {"FAIL.PS", "REST.PS", "BUSY.PS", "WAIT.PS", "bad\nname.ps"};
  form_->tracker->afterTick(outcome);

  // The status button, enabled as a tick leaves it, opens the list and keeps its own rule.
  form_->cmdShow->setEnabled(true);
  QTest::mouseClick(topLevel("frmMain")->findChild<QPushButton*>(QStringLiteral("cmdShow")),
                    Qt::LeftButton);
  QWidget* list = topLevel("frmList");
  QVERIFY(list && list->isVisible());
  QCOMPARE(list->windowTitle(), QStringLiteral("Alla dokument"));
  QMap<QString, QString> byName = states();
  QCOMPARE(byName.size(), 5);
  // The job the printer refused and the one that waited for it read the same.
  const QString cause =
      "Mappen " + data_.path() + "/nosuch/ finns inte. Skapa den eller ändra LPT1.";
  QVERIFY2(byName["FAIL.PS"].startsWith("Väntar: " + cause), qPrintable(byName["FAIL.PS"]));
  QCOMPARE(byName["REST.PS"], byName["FAIL.PS"]);
  QCOMPARE(byName["BUSY.PS"], QStringLiteral("Skrivs ut"));
  QCOMPARE(byName["WAIT.PS"], QStringLiteral("Väntar"));
  // Refused jobs take one row per reason, however many there are.
  QVERIFY2(byName["(1 dokument)"].startsWith("Kan inte skrivas ut: Namnet har ett tecken"),
           qPrintable(byName["(1 dokument)"]));
  const QString heading = list->findChild<QLabel*>(QStringLiteral("lblPrinter"))->text();
  QVERIFY2(heading.startsWith("Skrivaren fungerar inte. " + cause) &&
               heading.contains("\n5 dokument i "),
           qPrintable(heading));

  // Removal asks first; no is no.
  auto* table = list->findChild<QTableWidget*>(QStringLiteral("lvwJobs"));
  table->selectRow(table->findItems(QStringLiteral("WAIT.PS"), Qt::MatchExactly)[0]->row());
  QStringList questions;
  bool yes = false;
  form_->list->confirmRemoval = [&](const std::string& question) {
    questions << QString::fromStdString(question);
    return yes;
  };
  click("cmdRemove");
  QCOMPARE(questions.size(), 1);
  QVERIFY(questions[0].startsWith("Ta bort WAIT.PS ur kön?"));
  QVERIFY(QFile::exists(spool_.filePath("WAIT.PS")));
  yes = true;
  click("cmdRemove");
  QVERIFY(!QFile::exists(spool_.filePath("WAIT.PS")));
  QVERIFY(QFile::exists(data_.filePath("Trash/files/WAIT.PS")));
  QVERIFY(!states().contains("WAIT.PS"));

  // Live while open: the timer runs, and each of its ticks reads the folder again.
  auto* timer = list->findChild<QTimer*>(QStringLiteral("tmrRefresh"));
  QVERIFY(timer->isActive());
  write("NEW.PS", "1");
  form_->list->tmrRefresh_Timer();
  QCOMPARE(states().value("NEW.PS"), QStringLiteral("Väntar"));
  click("cmdCloseList");
  QVERIFY(!list->isVisible());
  QVERIFY(!timer->isActive());
}

void ListTest::withoutATrashAJobIsDeletedOnlyAfterASecondYes() {
  write("KEEP.PS", "1");
  toolkit_->trashWorks = false;
  form_->cmdShow->setEnabled(true);
  form_->cmdShow_Click();
  QWidget* list = topLevel("frmList");
  auto* table = list->findChild<QTableWidget*>(QStringLiteral("lvwJobs"));
  auto* heading = list->findChild<QLabel*>(QStringLiteral("lblPrinter"));
  QStringList questions;
  QList<bool> answers;
  form_->list->confirmRemoval = [&](const std::string& question) {
    questions << QString::fromStdString(question);
    return !answers.isEmpty() && answers.takeFirst();
  };
  const auto remove = [&](QList<bool> say) {
    answers = say;
    questions.clear();
    table->selectRow(table->findItems(QStringLiteral("KEEP.PS"), Qt::MatchExactly)[0]->row());
    click("cmdRemove");
  };

  // Yes to the removal, no to deleting it for good: the job stays, and the list says so.
  remove({true, false});
  QCOMPARE(questions.size(), 2);
  QVERIFY2(questions[1].contains("för gott"), qPrintable(questions[1]));
  QVERIFY(QFile::exists(spool_.filePath("KEEP.PS")));
  QVERIFY2(heading->text().contains("KEEP.PS ligger kvar"), qPrintable(heading->text()));

  // Yes twice: deleted, and not said to be in the trash.
  remove({true, true});
  QCOMPARE(questions.size(), 2);
  QVERIFY(!QFile::exists(spool_.filePath("KEEP.PS")));
  QVERIFY(!QDir(data_.filePath("Trash/files")).exists(QStringLiteral("KEEP.PS")));
  QVERIFY(!heading->text().contains("papperskorgen"));
  QVERIFY2(heading->text().contains("borttagen för gott"), qPrintable(heading->text()));
}

void ListTest::wholeTextsResizeAndPlace() {
  write("A-LONG-NAME-FOR-A-JOB.PS", "1");
  const platform::JobStateStore& store = form_->tracker->store();
  const std::string reason = "lpt1: command exited with status 1: " + std::string(160, 'x');
  queue::JobRecord r = queue::advance(std::nullopt, "A-LONG-NAME-FOR-A-JOB.PS", queue::Kind::Failed,
                                      reason, 1, platform::unixTime());
  platform::identityOf(spool_.filePath("A-LONG-NAME-FOR-A-JOB.PS").toStdString(), r.job);
  queue::writeRecord(store, r);
  form_->cmdShow_Click();
  QWidget* list = topLevel("frmList");
  auto* table = list->findChild<QTableWidget*>(QStringLiteral("lvwJobs"));
  auto* heading = list->findChild<QLabel*>(QStringLiteral("lblPrinter"));
  auto wholeTexts = [&] {
    // The state column takes the room the others leave, and its text fits its row.
    const int room = table->viewport()->width();
    int others = 0;
    for (int c = 0; c < 3; ++c) others += table->columnWidth(c);
    QVERIFY2(table->columnWidth(3) >= room - others - 1 && table->columnWidth(3) > room / 3,
             qPrintable(QString("%1 of %2").arg(table->columnWidth(3)).arg(room)));
    QVERIFY(table->horizontalScrollBar()->maximum() == 0);
    const QTableWidgetItem* item = table->item(0, 3);
    const QRect need = table->fontMetrics().boundingRect(
        QRect(0, 0, table->columnWidth(3) - 8, 100000), Qt::TextWordWrap, item->text());
    QVERIFY2(table->rowHeight(0) >= need.height(),
             qPrintable(QString("row %1, text %2").arg(table->rowHeight(0)).arg(need.height())));
    // The heading has the height of all its lines, above the table.
    QVERIFY(heading->height() >= heading->heightForWidth(heading->width()));
    QVERIFY(table->geometry().top() >= heading->geometry().bottom());
  };
  wholeTexts();

  // Resizable: the table takes the added room; the buttons keep to their edges.
  const QSize before = list->size();
  const int stateBefore = table->columnWidth(3);
  auto* close = list->findChild<QPushButton*>(QStringLiteral("cmdCloseList"));
  const int closeRight = list->width() - close->geometry().right();
  list->resize(before + QSize(300, 200));
  QCOMPARE(table->columnWidth(3), stateBefore + 300);
  QCOMPARE(list->width() - close->geometry().right(), closeRight);
  QVERIFY(close->geometry().bottom() < list->height());
  wholeTexts();

  // Closed and opened again while the server runs: same size, same place.
  list->move(37, 41);
  const QRect place = list->geometry();
  click("cmdCloseList");
  form_->cmdShow_Click();
  QCOMPARE(list->geometry(), place);
}

// Each text is the table's: one of its entries whose {n} hold data (a name, a number, a path) or
// another entry, with the system's own words only in brackets after a Swedish sentence.
static bool fromTheTable(const QString& shown, const QStringList& data, int depth = 0);

// Whether `shown` from `at` on is the entry's literal pieces with its placeholders between them,
// trying every place a placeholder may end.
static bool matchesEntry(const QStringList& pieces, const std::string& entry, const QString& shown,
                         int piece, int at, const QStringList& data, int depth) {
  if (!shown.mid(at).startsWith(pieces[piece])) return false;
  at += pieces[piece].size();
  if (piece + 1 == pieces.size()) return at == shown.size();
  const QString& next = pieces[piece + 1];
  for (int end = shown.indexOf(next, at); end >= 0; end = shown.indexOf(next, end + 1)) {
    if (piece + 2 == pieces.size() && end + next.size() != shown.size()) continue;
    const QString part = shown.mid(at, end - at);
    // The bracket after a sentence holds the system's words.
    const bool fits = part.contains(QRegularExpression(QStringLiteral("^[-0-9:. /]+$"))) ||
                      (entry == "{1} ({2})" && piece == 1) || fromTheTable(part, data, depth + 1);
    if (fits && matchesEntry(pieces, entry, shown, piece + 1, end, data, depth)) return true;
  }
  return false;
}

static bool fromTheTable(const QString& text, const QStringList& data, int depth) {
  // A button wraps its caption to its width: a line end reads as a space.
  const QString shown =
      QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")).replace('\n', ' ');
  if (data.contains(shown)) return true;
  if (depth > 3) return false;
  for (const std::string& entry : uitext::allTexts()) {
    const QStringList pieces = QString::fromStdString(entry)
                                   .replace(QLatin1String("\r\n"), QLatin1String(" "))
                                   .replace('\n', ' ')
                                   .split(QRegularExpression(QStringLiteral("\\{\\d\\}")));
    if (matchesEntry(pieces, entry, shown, 0, 0, data, depth)) return true;
  }
  return false;
}

void ListTest::everyVisibleTextIsFromTheTable() {
  write("JOB.PS", "12345");
  write("bad\x01name.ps", "1");
  form_->tmrPrint_Timer();
  form_->cmdShow_Click();
  QStringList data = {"JOB.PS",   "bad\\x01name.ps",        spool_.path(), spool_.path() + "/",
                      "lptspool", data_.path() + "/nosuch/"};
  QStringList seen;
  for (const char* name : {"frmMain", "frmList"}) {
    QWidget* top = topLevel(name);
    QVERIFY(top);
    seen << top->windowTitle();
    for (auto* w : top->findChildren<QWidget*>()) {
      seen << w->toolTip();
      if (auto* b = qobject_cast<QAbstractButton*>(w)) seen << b->text();
      if (auto* l = qobject_cast<QLabel*>(w)) seen << l->text();
      if (auto* t = qobject_cast<QTableWidget*>(w)) {
        for (int c = 0; c < t->columnCount(); ++c) seen << t->horizontalHeaderItem(c)->text();
        for (int r = 0; r < t->rowCount(); ++r)
          for (int c = 1; c < t->columnCount(); ++c) seen << t->item(r, c)->text();
      }
    }
  }
  // The warning is among them, on the status button.
  QVERIFY(seen.filter(QStringLiteral("Skrivaren fungerar inte")).size() >= 2);
  // Times of day are data.
  const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d$"));
  for (const QString& text : seen) {
    if (text.isEmpty() || time.match(text).hasMatch()) continue;
    QVERIFY2(fromTheTable(text, data), qPrintable("not from the table: " + text));
  }
  // And the check itself tells an English text.
  QVERIFY(!fromTheTable(QStringLiteral("Yes"), data));
  QVERIFY(!fromTheTable(QStringLiteral("Fel: lpt1: No such file or directory"), data));
}

void ListTest::theQuestionAnswersInSwedish() {
  write("JOB.PS", "1");
  form_->cmdShow_Click();
  QStringList buttons;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    for (QAbstractButton* b : box->buttons()) buttons << b->text();
    box->defaultButton()->click();
  });
  const bool yes = toolkit_->ask(*form_->list->window, "Ta bort dokument", "Ta bort JOB.PS ur kön?",
                                 "Ta bort", "Avbryt");
  QVERIFY(!yes);  // the default is the harmless answer
  buttons.sort();
  QCOMPARE(buttons, QStringList({"Avbryt", "Ta bort"}));
}

int main(int argc, char** argv) {
  // Job states go to a runtime folder of the test's own.
  QTemporaryDir runtime;
  QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ListTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "list_test.moc"
