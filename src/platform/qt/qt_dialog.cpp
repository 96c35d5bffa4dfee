// A second window on Qt Widgets: an ordinary top-level window with a title bar, holding a text
// label, a table, buttons and timers; and the desktop services it needs (a question, the trash,
// the file manager).
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <algorithm>
#include <functional>

#include "platform/dos_path.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_units.h"
#include "platform/trash.h"

namespace qtui {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class QtTextLabel : public QtControl<ui::Label> {
 public:
  QtTextLabel(QWidget* parent, const ui::ControlLayout& layout, HWND handle)
      : QtControl(handle), label_(new QLabel(parent)) {
    place(label_, layout, 0);
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    setCaption(layout.caption);
  }
  void setCaption(const std::string& caption) override {
    caption_ = caption;
    label_->setText(fromUtf8(caption));
    if (changed) changed();
  }
  std::function<void()> changed;  // the text changed: it may need more lines

 private:
  QLabel* label_;
};

class QtTable : public QtControl<ui::Table> {
 public:
  QtTable(QWidget* parent, const ui::ControlLayout& layout, HWND handle,
          const std::vector<std::string>& headers)
      : QtControl(handle), table_(new QTableWidget(parent)) {
    place(table_, layout, 0);
    table_->setColumnCount(static_cast<int>(headers.size()));
    QStringList labels;
    for (const std::string& header : headers) labels << fromUtf8(header);
    table_->setHorizontalHeaderLabels(labels);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The last column, the state, takes what the others leave and wraps a long reason onto
    // more lines rather than hiding it past the edge.
    table_->setWordWrap(true);
    table_->setTextElideMode(Qt::ElideNone);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (int c = 0; c + 1 < table_->columnCount(); ++c)
      table_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Interactive);
  }
  // The columns before the last as wide as their texts (a long name up to a third of the
  // table), the rows as high as their wrapped texts.
  void fit() {
    const int room = table_->viewport()->width();
    for (int c = 0; c + 1 < table_->columnCount(); ++c) {
      table_->resizeColumnToContents(c);
      if (c == 0 && table_->columnWidth(c) > room / 3) table_->setColumnWidth(c, room / 3);
    }
    table_->resizeRowsToContents();
  }
  void setRows(const std::vector<std::vector<std::string>>& rows) override {
    rows_ = rows;
    table_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (std::size_t c = 0; c < rows[r].size(); ++c) {
        auto* item = table_->item(static_cast<int>(r), static_cast<int>(c));
        const QString text = fromUtf8(rows[r][c]);
        if (!item) {
          item = new QTableWidgetItem;
          table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
        if (item->text() != text) {
          item->setText(text);
          item->setToolTip(text);
        }
      }
    fit();
  }
  std::size_t rowCount() const override { return rows_.size(); }
  std::string cell(std::size_t row, std::size_t column) const override {
    return row < rows_.size() && column < rows_[row].size() ? rows_[row][column] : "";
  }
  int currentRow() const override {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->row();
  }
  void setCurrentRow(int row) override {
    if (row < 0 || row >= table_->rowCount())
      table_->clearSelection();
    else
      table_->selectRow(row);
  }

 private:
  QTableWidget* table_;
  std::vector<std::vector<std::string>> rows_;
};

class DialogWidget : public QWidget {
 public:
  std::function<void()> Resized;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (Resized) Resized();
  }
};

// Geometry in twips from the top-left corner of the window's frame, as for the main window.
class QtDialog : public ui::Window {
 public:
  QtDialog(QtToolkit& toolkit, const std::string& name, const std::string& title, float width,
           float height, HWND handle)
      : toolkit_(toolkit), widget_(new DialogWidget), handle_(handle) {
    widget_->setObjectName(QString::fromStdString(name));
    widget_->setWindowTitle(fromUtf8(title));
    widget_->setWindowIcon(toolkit.programIcon());
    // Resizable: the table takes what is added, the buttons keep to their edges.
    initial_ = QSize(toPixels(width, twipsPerPixel(true)), toPixels(height, twipsPerPixel(false)));
    widget_->resize(initial_);
    widget_->setMinimumSize(initial_);
    widget_->Resized = [this] { relayout(); };
  }
  ~QtDialog() override {
    timers_.clear();
    controls_.clear();
    delete widget_;
  }
  HWND hWnd() const override { return handle_; }
  void setEnabled(bool enabled) override { widget_->setEnabled(enabled); }
  bool enabled() const override { return widget_->isEnabled(); }
  float left() const override { return widget_->x() * twipsPerPixel(true); }
  float top() const override { return widget_->y() * twipsPerPixel(false); }
  float width() const override { return widget_->width() * twipsPerPixel(true); }
  float height() const override { return widget_->height() * twipsPerPixel(false); }
  void setLeft(float twips) override {
    widget_->move(toPixels(twips, twipsPerPixel(true)), widget_->y());
  }
  void setTop(float twips) override {
    widget_->move(widget_->x(), toPixels(twips, twipsPerPixel(false)));
  }
  void setHeight(float twips) override {
    widget_->resize(widget_->width(), toPixels(twips, twipsPerPixel(false)));
  }
  bool visible() const override { return widget_->isVisible(); }
  void show() override {
    widget_->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
      widget_->raise();
      widget_->activateWindow();
    }
  }
  void hide() override { widget_->hide(); }
  ui::Button* addButton(const ui::ControlLayout& layout) override {
    return keep(std::make_unique<QtButton>(widget_, layout, toolkit_.newHandle(), 0));
  }
  ui::Label* addLabel(const ui::ControlLayout& layout) override {
    auto* label = keep(std::make_unique<QtTextLabel>(widget_, layout, toolkit_.newHandle()));
    label->changed = [this] { relayout(); };
    return label;
  }
  ui::PictureBox* addPictureBox(const ui::ControlLayout&) override { return nullptr; }
  ui::Timer* addTimer(const std::string& name, int interval) override {
    timers_.push_back(std::make_unique<QtTimer>(widget_, name, interval));
    return timers_.back().get();
  }
  ui::Table* addTable(const ui::ControlLayout& layout,
                      const std::vector<std::string>& headers) override {
    tables_.push_back(
        keep(std::make_unique<QtTable>(widget_, layout, toolkit_.newHandle(), headers)));
    return tables_.back();
  }
  platform::HICON icon() const override { return 1; }
  QWidget* widget() const { return widget_; }

 private:
  template <class Kind>
  Kind* keep(std::unique_ptr<Kind> control) {
    Kind* raw = control.get();
    controls_.push_back(std::move(control));
    return raw;
  }

  // Every control keeps its distance to the edges nearest to it; a heading that needs more
  // lines than it was given pushes the table down.
  void relayout() {
    const int dw = widget_->width() - initial_.width(), dh = widget_->height() - initial_.height();
    const QList<QWidget*> children = widget_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    auto home = [](QWidget* w) {
      if (!w->property("home").isValid()) w->setProperty("home", w->geometry());
      return w->property("home").toRect();
    };
    int extra = 0;
    for (QWidget* w : children)
      if (auto* label = qobject_cast<QLabel*>(w)) {
        QRect r = home(w);
        r.setWidth(r.width() + dw);
        extra = std::max(extra, label->heightForWidth(r.width()) - r.height());
        r.setHeight(r.height() + std::max(0, label->heightForWidth(r.width()) - r.height()));
        w->setGeometry(r);
      }
    for (QWidget* w : children) {
      if (qobject_cast<QLabel*>(w)) continue;
      QRect r = home(w);
      if (qobject_cast<QTableWidget*>(w)) {
        r.adjust(0, extra, dw, dh);
      } else {
        r.translate(r.left() > initial_.width() / 2 ? dw : 0,
                    r.top() > initial_.height() / 2 ? dh : 0);
      }
      w->setGeometry(r);
    }
    for (QtTable* table : tables_) table->fit();
  }

  QtToolkit& toolkit_;
  DialogWidget* widget_;
  HWND handle_;
  QSize initial_;
  std::vector<QtTable*> tables_;
  std::vector<std::unique_ptr<ui::Control>> controls_;
  std::vector<std::unique_ptr<QtTimer>> timers_;
};

// A file name as the file system holds it: bytes, whatever their encoding.
QString hostName(const std::string& dosFolder, const std::string& name, bool& ok) {
  std::string host;
  ok = platform::toHostPath(dosFolder, host) && name.find('/') == std::string::npos &&
       name != "." && name != "..";
  return QFile::decodeName(QByteArray::fromStdString(host + name));
}

}  // namespace

std::unique_ptr<ui::Window> QtToolkit::createDialog(const std::string& name,
                                                    const std::string& title, float width,
                                                    float height) {
  return std::make_unique<QtDialog>(*this, name, title, width, height, newHandle());
}

bool QtToolkit::ask(ui::Window& owner, const std::string& title, const std::string& question,
                    const std::string& yes, const std::string& no) {
  auto* dialog = dynamic_cast<QtDialog*>(&owner);
  // The buttons say what they do, in the program's own language rather than Qt's.
  QMessageBox box(QMessageBox::Question, fromUtf8(title), fromUtf8(question), QMessageBox::NoButton,
                  dialog ? dialog->widget() : nullptr);
  box.setObjectName(QStringLiteral("askBox"));
  QPushButton* first = box.addButton(fromUtf8(yes), QMessageBox::AcceptRole);
  QPushButton* second = box.addButton(fromUtf8(no), QMessageBox::RejectRole);
  box.setDefaultButton(second);
  box.setEscapeButton(second);
  box.exec();
  return box.clickedButton() == first;
}

bool QtToolkit::moveToTrash(const std::string& dosFolder, const std::string& name) {
  // Our own trash code, not Qt's: Qt's falls back to the working directory when the data folder
  // is missing, and takes a top directory's .Trash-<uid> whoever owns it.
  std::string host, error;
  return platform::toHostPath(dosFolder, host) && platform::moveToTrash(host, name, error);
}

bool QtToolkit::openFolder(const std::string& dosPath) {
  bool ok = false;
  const QString path = hostName(dosPath, "", ok);
  return ok && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace qtui
