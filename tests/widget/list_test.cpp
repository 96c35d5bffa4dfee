// The document list on the Qt toolkit (offscreen): the status button opens it, every job has a row
// with its state, a job is removed to the trash only after the question, and the list follows the
// folder while it is open.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/frm_list.h"
#include "app/frm_main.h"
#include "platform/process.h"
#include "platform/qt/qt_toolkit.h"
#include "queue/job_list.h"

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
  form_->printerProblem = "/home/me/printed: No such file or directory";
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
  launcher("FAIL.PS", queue::Kind::Failed, "lpt1: command exited with status 1", 1);
  launcher("FAIL.PS", queue::Kind::Failed, "lpt1: command exited with status 1", 2);
  launcher("BUSY.PS", queue::Kind::Printing, "", platform::processId());
  queue::TickOutcome outcome;
  outcome.found = {"FAIL.PS", "BUSY.PS", "WAIT.PS", "bad\nname.ps"};
  form_->tracker->afterTick(outcome);

  // The status button, enabled as a tick leaves it, opens the list and keeps its own rule.
  form_->cmdShow->setEnabled(true);
  QTest::mouseClick(topLevel("frmMain")->findChild<QPushButton*>(QStringLiteral("cmdShow")),
                    Qt::LeftButton);
  QWidget* list = topLevel("frmList");
  QVERIFY(list && list->isVisible());
  QCOMPARE(list->windowTitle(), QStringLiteral("Alla dokument"));
  QMap<QString, QString> byName = states();
  QCOMPARE(byName.size(), 4);
  QVERIFY2(byName["FAIL.PS"].startsWith("Fel: lpt1: command exited with status 1 (2 försök sedan"),
           qPrintable(byName["FAIL.PS"]));
  QCOMPARE(byName["BUSY.PS"], QStringLiteral("Skrivs ut"));
  QCOMPARE(byName["WAIT.PS"], QStringLiteral("Väntar"));
  // Refused jobs take one row per reason, however many there are.
  QVERIFY2(byName["(1 dokument)"].startsWith("Kan inte skrivas ut: the name holds"),
           qPrintable(byName["(1 dokument)"]));
  QVERIFY(list->findChild<QLabel*>(QStringLiteral("lblPrinter"))
              ->text()
              .startsWith("Skrivaren fungerar inte: /home/me/printed"));

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
