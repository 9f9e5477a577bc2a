#include "desktop/qt_forms.hpp"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace desktop {

namespace {

constexpr std::int32_t kObjectUnloaded = 364;

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

// Watches the window's widget and its top-level window for the site: size changes and activation.
class SiteWatcher : public QObject {
 public:
  SiteWatcher(std::weak_ptr<QtFormSite> site, QObject* parent) : QObject(parent), site_(std::move(site)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Resize && event->type() != QEvent::WindowActivate) return false;
    auto site = site_.lock();
    if (!site || site->closed()) return false;
    if (event->type() == QEvent::Resize)
      site->resized();
    else
      site->activate();
    return false;
  }

 private:
  std::weak_ptr<QtFormSite> site_;
};

// A modal window: its close box and Escape ask the window to close; only the site closes it.
class FormDialog : public QDialog {
 public:
  FormDialog(std::weak_ptr<QtFormSite> site, QWidget* parent) : QDialog(parent), site_(std::move(site)) {}
  void close_from_site() {
    closing_ = true;
    if (isVisible()) done(0);
    hide();
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (closing_) {
      QDialog::closeEvent(event);
      return;
    }
    event->ignore();
    if (auto site = site_.lock()) site->request_close();
  }
  void reject() override {
    if (closing_) {
      QDialog::reject();
      return;
    }
    if (auto site = site_.lock()) site->request_close();
  }

 private:
  std::weak_ptr<QtFormSite> site_;
  bool closing_ = false;
};

// A refused validation swallows the rest of the click that tried to move the focus.
class ClickFilter : public QObject {
 public:
  ClickFilter(std::weak_ptr<QtSession> session, QObject* parent)
      : QObject(parent), session_(std::move(session)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    auto session = session_.lock();
    if (!session || !session->swallow_click) return false;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        return true;
      case QEvent::MouseButtonRelease:
        session->swallow_click = false;
        return true;
      case QEvent::KeyPress:
        session->swallow_click = false;
        return false;
      default:
        return false;
    }
  }

 private:
  std::weak_ptr<QtSession> session_;
};

bool is_row_field(const std::shared_ptr<host::Control>& c) {
  return std::dynamic_pointer_cast<QtCodeEdit>(c) || std::dynamic_pointer_cast<QtDateEdit>(c) ||
         std::dynamic_pointer_cast<QtNumericEdit>(c) || std::dynamic_pointer_cast<QtCombo>(c);
}

bool is_lookup_field(const std::shared_ptr<host::Control>& c) {
  auto code = std::dynamic_pointer_cast<QtCodeEdit>(c);
  return code && code->setting_bool("lookup", false);
}

QtInput* input_of(const std::shared_ptr<host::Control>& c) {
  return dynamic_cast<QtInput*>(c.get());
}

// A row of the window: its label, its fields side by side, and a label after them ("giorni").
struct Row {
  QWidget* label = nullptr;
  std::vector<std::shared_ptr<host::Control>> fields;
  QWidget* trailing = nullptr;
};

// The width a field needs for its characters.
void size_field(const std::shared_ptr<host::Control>& c) {
  auto* input = input_of(c);
  if (!input || !input->focus_widget()) return;
  auto* edit = qobject_cast<QLineEdit*>(input->focus_widget());
  if (!edit) return;
  const int unit = edit->fontMetrics().horizontalAdvance(QLatin1Char('M'));
  int chars = edit->maxLength() > 0 && edit->maxLength() < 1000 ? edit->maxLength() : 20;
  if (std::dynamic_pointer_cast<QtDateEdit>(c)) chars = 9;
  if (std::dynamic_pointer_cast<QtCodeEdit>(c) && !input->setting_bool("enabled", true)) {
    // A description: it takes the room left.
    edit->setMinimumWidth(unit * 14);
    edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return;
  }
  edit->setFixedWidth(unit * std::clamp(chars, 3, 12) + 12);
  edit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  if (input->widget() != edit) input->widget()->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QWidget* rows_widget(const std::vector<Row>& rows, std::size_t from, std::size_t to, QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* grid = new QGridLayout(box);
  grid->setColumnStretch(1, 1);
  for (std::size_t i = from; i < to; ++i) {
    const Row& row = rows[i];
    int line = static_cast<int>(i - from);
    if (row.label) {
      row.label->setParent(box);
      grid->addWidget(row.label, line, 0);
    }
    auto* fields = new QHBoxLayout;
    bool stretches = false;
    for (const auto& field : row.fields) {
      size_field(field);
      auto* input = input_of(field);
      if (!input || !input->widget()) continue;
      input->widget()->setParent(box);
      fields->addWidget(input->widget(),
                        input->widget()->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding);
      stretches = stretches || input->widget()->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding;
    }
    if (row.trailing) {
      row.trailing->setParent(box);
      fields->addWidget(row.trailing);
    }
    if (!stretches) fields->addStretch(1);
    grid->addLayout(fields, line, 1);
    if (auto* label = qobject_cast<QLabel*>(row.label); label && !row.fields.empty())
      label->setBuddy(input_of(row.fields.front()) ? input_of(row.fields.front())->focus_widget() : nullptr);
  }
  return box;
}

}  // namespace

// ---- Site

QtFormSite::QtFormSite(const host::FormDesign& design, host::FormEvents* events,
                       std::shared_ptr<QtSession> session)
    : name_(design.name),
      caption_(design.caption),
      events_(events),
      session_(std::move(session)),
      input_(std::make_shared<FormInput>()) {
  input_->form_name = name_;
  input_->session = session_;
  content_ = new QWidget;
  content_->setObjectName(qs(name_));
  for (const auto& control_design : design.controls) {
    std::string key = runtime::upper(control_design.name);
    if (by_name_.count(key))
      throw runtime::Error(runtime::err::kInvalidArgument, "Two controls named " + control_design.name,
                           name_);
    auto c = make_qt_control(control_design, input_, content_);
    controls_.push_back(c);
    by_name_.emplace(key, std::move(c));
  }
  lay_out(design);
}

QtFormSite::~QtFormSite() {
  if (session_->active_site == this) session_->active_site = nullptr;
  if (embedded_ && !closed_ && content_ && session_->unembed) session_->unembed(content_);
  // The widgets go with the event loop: the site may end inside one of their handlers.
  if (dialog_)
    dialog_->deleteLater();
  else if (content_)
    content_->deleteLater();
}

void QtFormSite::lay_out(const host::FormDesign&) {
  auto* root = new QVBoxLayout(content_);
  root->setContentsMargins(4, 4, 4, 4);
  content_->setStyleSheet("QLineEdit[mandatory=\"true\"]:enabled { background-color: #fff3c4; }");

  QToolBar* toolbar = nullptr;
  std::shared_ptr<QtCalendar> calendar;
  std::shared_ptr<QtGrid> grid;
  std::map<std::string, std::shared_ptr<QtFrameControl>> frames;
  std::vector<Row> rows;
  std::vector<QWidget*> pending_labels;
  bool after_field = false;

  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const auto& c = controls_[i];
    if (auto button = std::dynamic_pointer_cast<QtToolbarButton>(c)) {
      if (!toolbar) {
        toolbar = new QToolBar(content_);
        toolbar->setObjectName("FORM_TOOLBAR");
        toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
      }
      toolbar->addWidget(button->button());
      after_field = false;
    } else if (auto label = std::dynamic_pointer_cast<QtLabel>(c)) {
      const bool next_is_field = i + 1 < controls_.size() && is_row_field(controls_[i + 1]);
      if (after_field && !next_is_field && !rows.empty() && !rows.back().trailing)
        rows.back().trailing = label->label();
      else
        pending_labels.push_back(label->label());
      after_field = false;
    } else if (is_row_field(c)) {
      if (!after_field || is_lookup_field(c) || rows.empty()) {
        Row row;
        if (!pending_labels.empty()) {
          row.label = pending_labels.front();
          pending_labels.erase(pending_labels.begin());
        } else {
          row.label = new QLabel(qs(c->Name()), content_);
          if (auto* input = input_of(c))
            static_cast<QLabel*>(row.label)->setText(qs(input->design().caption));
        }
        rows.push_back(row);
      }
      rows.back().fields.push_back(c);
      after_field = true;
    } else {
      if (auto cal = std::dynamic_pointer_cast<QtCalendar>(c)) calendar = cal;
      if (auto g = std::dynamic_pointer_cast<QtGrid>(c)) grid = g;
      if (auto frame = std::dynamic_pointer_cast<QtFrameControl>(c))
        frames[runtime::upper(frame->Name())] = frame;
      after_field = false;
    }
  }
  for (auto* label : pending_labels) rows.push_back(Row{label, {}, nullptr});

  if (toolbar) root->addWidget(toolbar);

  // The rows: in the identification frame up to the first row a person fills in, the rest in the
  // interval frame, when the design has both.
  auto frame_widget = [&](const char* name) -> QFrame* {
    auto it = frames.find(name);
    return it == frames.end() ? nullptr : static_cast<QFrame*>(it->second->widget());
  };
  QFrame* main_frame = frame_widget("FRAMEMAIN");
  QFrame* data_frame = frame_widget("FRAMEDATI");
  QFrame* range_frame = frame_widget("FRAMEINTERVALLO");
  QWidget* fields = nullptr;
  if (data_frame && range_frame) {
    std::size_t split = rows.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const auto& first = rows[i].fields;
      if (!first.empty() && !is_lookup_field(first.front()) && input_of(first.front()) &&
          input_of(first.front())->setting_bool("enabled", true)) {
        split = i;
        break;
      }
    }
    for (auto [frame, from, to] :
         {std::tuple{data_frame, std::size_t{0}, split}, std::tuple{range_frame, split, rows.size()}}) {
      auto* layout = new QVBoxLayout(frame);
      layout->addWidget(rows_widget(rows, from, to, frame));
    }
    fields = main_frame ? main_frame : new QWidget(content_);
    auto* layout = new QVBoxLayout(fields);
    layout->setContentsMargins(main_frame ? 6 : 0, main_frame ? 6 : 0, main_frame ? 6 : 0,
                               main_frame ? 6 : 0);
    data_frame->setParent(fields);
    range_frame->setParent(fields);
    layout->addWidget(data_frame);
    layout->addWidget(range_frame);
  } else {
    fields = rows_widget(rows, 0, rows.size(), content_);
    if (main_frame) {
      auto* layout = new QVBoxLayout(main_frame);
      fields->setParent(main_frame);
      layout->addWidget(fields);
      fields = main_frame;
    }
  }
  for (const auto& [key, frame] : frames) {
    auto* widget = frame->widget();
    if (widget && widget != main_frame && widget != data_frame && widget != range_frame) widget->hide();
    if (widget && widget == main_frame && !(data_frame && range_frame) && rows.empty()) widget->hide();
  }

  auto* body = new QHBoxLayout;
  if (calendar) body->addWidget(calendar->calendar(), 0, Qt::AlignTop);
  body->addWidget(fields, 1, Qt::AlignTop);
  root->addLayout(body);
  if (grid) {
    root->addWidget(grid->table(), 1);
  } else {
    root->addStretch(1);
  }
}

std::shared_ptr<host::Control> QtFormSite::find(const std::string& control_name) const {
  auto it = by_name_.find(runtime::upper(control_name));
  if (it == by_name_.end())
    throw runtime::Error(runtime::err::kInvalidArgument, "No control named " + control_name, name_);
  return it->second;
}

std::shared_ptr<host::Control> QtFormSite::control(const std::string& control_name) {
  return find(control_name);
}

std::string QtFormSite::focused_name() const {
  return input_->focused ? input_->focused->name() : "";
}

bool QtFormSite::validate_focused() {
  QtInput* field = input_->focused;
  if (!field || closed_) return true;
  auto keep = shared_from_this();
  auto keep_field = field->shared_from_this();
  input_->leaving = field;
  bool left = field->leave();
  input_->leaving = nullptr;
  if (!left) {
    // The focus stays (or goes where the field's handler put it).
    QtInput* target = input_->focused ? input_->focused : field;
    if (target->focus_widget()) {
      ++input_->code_moves;
      target->focus_widget()->setFocus(Qt::OtherFocusReason);
      --input_->code_moves;
    }
    input_->focused = target;
    return false;
  }
  if (input_->focused == field) input_->focused = input_->control_of(QApplication::focusWidget());
  return true;
}

bool QtFormSite::request_close() {
  if (closed_ || !events_) return closed_;
  auto keep = shared_from_this();
  bool unloaded = events_->SiteCloseRequested();
  return unloaded || closed_;
}

void QtFormSite::activate() {
  if (closed_ || !events_ || !visible_) return;
  if (session_->active_site == this) return;
  auto keep = shared_from_this();
  session_->active_site = this;
  events_->SiteActivated();
}

void QtFormSite::resized() {
  if (closed_ || !events_ || !shown_before_) return;
  auto keep = shared_from_this();
  events_->SiteResized();
  for (const auto& c : controls_) {
    if (closed_) return;
    if (auto r = std::dynamic_pointer_cast<QtResizeControl>(c)) r->resized();
  }
}

void QtFormSite::refresh_grids() {
  for (const auto& c : controls_)
    if (auto grid = std::dynamic_pointer_cast<QtGrid>(c)) grid->refresh();
}

void QtFormSite::set_Caption(const std::string& value) {
  caption_ = value;
  if (dialog_) dialog_->setWindowTitle(qs(value));
  if (embedded_ && session_->embed && content_) session_->embed(content_, caption_);
  if (content_ && !embedded_ && !dialog_) content_->setWindowTitle(qs(value));
}

void QtFormSite::set_Icon(const runtime::Variant& picture) {
  icon_ = picture;
  apply_icon();
}

void QtFormSite::apply_icon() {
  if (!content_ || runtime::is_blank(icon_)) return;
  // The host's pictures are named; the one a window gets is the mark of linked multimedia data.
  QIcon icon = content_->style()->standardIcon(QStyle::SP_FileDialogInfoView);
  if (dialog_)
    dialog_->setWindowIcon(icon);
  else if (content_->window())
    content_->window()->setWindowIcon(icon);
}

void QtFormSite::place(bool modal) {
  placed_ = true;
  auto* watcher = new SiteWatcher(weak_from_this(), content_);
  watcher_ = watcher;
  content_->installEventFilter(watcher);
  if (modal) {
    QWidget* parent = session_->dialog_parent ? session_->dialog_parent() : nullptr;
    if (!parent) parent = QApplication::activeWindow();
    auto* dialog = new FormDialog(weak_from_this(), parent);
    dialog_ = dialog;
    dialog->setObjectName(qs(name_ + "_DIALOG"));
    dialog->setWindowTitle(qs(caption_));
    dialog->setModal(true);
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    content_->setParent(dialog);
    layout->addWidget(content_);
    dialog->installEventFilter(watcher);
    dialog->adjustSize();
  } else {
    embedded_ = session_->embed && session_->embed(content_, caption_);
    if (!embedded_) content_->setWindowTitle(qs(caption_));
    if (QWidget* top = content_->window(); top && top != content_) top->installEventFilter(watcher);
  }
  apply_icon();
}

void QtFormSite::Show(bool modal) {
  if (closed_) throw runtime::Error(kObjectUnloaded, "Object was unloaded", name_);
  auto keep = shared_from_this();
  if (!placed_) place(modal);
  visible_ = true;
  if (!shown_before_) {
    shown_before_ = true;
    for (const auto& c : controls_) {
      if (closed_) return;
      if (auto mdi = std::dynamic_pointer_cast<QtMdiContainer>(c)) {
        mdi->form_loaded();
        if (!mdi->requested_size().isEmpty() && !embedded_ && !dialog_)
          content_->resize(mdi->requested_size());
      }
    }
  }
  if (closed_) return;
  if (!modal) {
    if (content_) content_->show();
    if (!embedded_ && content_) content_->raise();
  }
  resized();
  activate();
  if (!modal || closed_ || !dialog_) return;
  modal_ = true;
  dialog_->exec();
  modal_ = false;
  if (closed_ && dialog_) dialog_->deleteLater();
}

void QtFormSite::Close() {
  visible_ = false;
  closed_ = true;
  events_ = nullptr;
  input_->focused = nullptr;
  if (session_->active_site == this) session_->active_site = nullptr;
  if (dialog_) {
    QWidget* parent = dialog_->parentWidget();
    static_cast<FormDialog*>(dialog_.data())->close_from_site();
    // The window that opened the dialog becomes active again.
    if (parent) parent->activateWindow();
  } else if (content_) {
    if (embedded_ && session_->unembed) session_->unembed(content_);
    content_->hide();
  }
}

// ---- Factory

QtFormFactory::QtFormFactory() : session_(std::make_shared<QtSession>()) {
  if (auto* app = QCoreApplication::instance()) {
    click_filter_ = new ClickFilter(session_, app);
    app->installEventFilter(click_filter_);
  }
}

QtFormFactory::~QtFormFactory() {
  if (click_filter_) {
    QCoreApplication::instance()->removeEventFilter(click_filter_);
    delete click_filter_;
  }
}

std::shared_ptr<QtFormSite> QtFormFactory::site(const std::string& form_name) const {
  for (auto it = sites_.rbegin(); it != sites_.rend(); ++it) {
    auto s = it->lock();
    if (s && !s->closed() && s->name() == form_name) return s;
  }
  return nullptr;
}

std::shared_ptr<host::FormSite> QtFormFactory::CreateForm(const host::FormDesign& design,
                                                          host::FormEvents* events) {
  auto s = std::make_shared<QtFormSite>(design, events, session_);
  std::erase_if(sites_, [](const std::weak_ptr<QtFormSite>& w) { return w.expired(); });
  sites_.push_back(s);
  return s;
}

}  // namespace desktop
