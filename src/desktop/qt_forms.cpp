#include "desktop/qt_forms.hpp"
#include "desktop/qt_text.hpp"

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

bool is_row_field(const std::shared_ptr<QtInput>& v) {
  return std::dynamic_pointer_cast<QtCodeEdit>(v) || std::dynamic_pointer_cast<QtDateEdit>(v) ||
         std::dynamic_pointer_cast<QtNumericEdit>(v) || std::dynamic_pointer_cast<QtCombo>(v);
}

bool is_lookup_field(const std::shared_ptr<QtInput>& v) {
  auto code = std::dynamic_pointer_cast<QtCodeEdit>(v);
  return code && code->setting_bool("lookup", false);
}

// A row of the window: its label, its fields side by side, and a label after them ("giorni").
struct Row {
  QWidget* label = nullptr;
  std::vector<std::shared_ptr<QtInput>> fields;
  QWidget* trailing = nullptr;
};

// The width a field needs for its characters.
void size_field(const std::shared_ptr<QtInput>& input) {
  if (!input || !input->focus_widget()) return;
  auto* edit = qobject_cast<QLineEdit*>(input->focus_widget());
  if (!edit) return;
  const int unit = edit->fontMetrics().horizontalAdvance(QLatin1Char('M'));
  auto max = input->input_model().setting_number("maxchar");
  int chars = max && *max > 0 && *max < 1000 ? static_cast<int>(*max) : 20;
  if (std::dynamic_pointer_cast<QtDateEdit>(input)) chars = 9;
  if (std::dynamic_pointer_cast<QtCodeEdit>(input) && !input->setting_bool("enabled", true)) {
    // A description: room for its whole text, and the room left.
    const int length = max && *max > 0 && *max < 1000 ? std::min(static_cast<int>(*max), 40) : 30;
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * length + 16);
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
      auto* input = field.get();
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
      label->setBuddy(row.fields.front()->focus_widget());
  }
  return box;
}

}  // namespace

// ---- Site

QtFormSite::QtFormSite(const host::FormDesign& design, host::FormEvents* events,
                       std::shared_ptr<QtSession> session)
    : FormModel(design, events, session), session_(std::move(session)), form_(std::make_shared<FormInput>()) {
  form_->models = input_;
  form_->session = session_;
  content_ = new QWidget;
  content_->setObjectName(qs(name()));
  for (const auto& model : controls()) {
    auto view = make_qt_view(model, form_, content_);
    views_.push_back(view);
    if (view) view_by_name_.emplace(runtime::upper(model->Name()), view);
  }
  lay_out();
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

void QtFormSite::lay_out() {
  auto* root = new QVBoxLayout(content_);
  root->setContentsMargins(4, 4, 4, 4);
  // A field that shows no row looks as a field that takes nothing.
  content_->setStyleSheet(
      "QLineEdit[mandatory=\"true\"]:enabled:!read-only { background-color: #fff3c4; } "
      "QLineEdit:read-only { background-color: palette(window); }");

  QToolBar* toolbar = nullptr;
  std::shared_ptr<QtCalendar> calendar;
  std::shared_ptr<QtGrid> grid;
  std::map<std::string, std::shared_ptr<QtFrameControl>> frames;
  std::vector<Row> rows;
  std::vector<QWidget*> pending_labels;
  bool after_field = false;

  std::vector<std::shared_ptr<QtInput>> views;
  for (const auto& v : views_)
    if (v) views.push_back(v);
  for (std::size_t i = 0; i < views.size(); ++i) {
    const auto& c = views[i];
    if (auto button = std::dynamic_pointer_cast<QtToolbarButton>(c)) {
      if (!toolbar) {
        toolbar = new QToolBar(content_);
        toolbar->setObjectName("FORM_TOOLBAR");
        toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
      }
      toolbar->addWidget(button->button());
      after_field = false;
    } else if (auto label = std::dynamic_pointer_cast<QtLabel>(c)) {
      const bool next_is_field = i + 1 < views.size() && is_row_field(views[i + 1]);
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
          row.label = new QLabel(qs(c->input_model().shown_caption()), content_);
        }
        rows.push_back(row);
      }
      rows.back().fields.push_back(c);
      after_field = true;
    } else {
      if (auto cal = std::dynamic_pointer_cast<QtCalendar>(c)) calendar = cal;
      if (auto g = std::dynamic_pointer_cast<QtGrid>(c)) grid = g;
      if (auto frame = std::dynamic_pointer_cast<QtFrameControl>(c))
        frames[runtime::upper(frame->name())] = frame;
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
      if (!first.empty() && !is_lookup_field(first.front()) && first.front()->setting_bool("enabled", true)) {
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

bool QtFormSite::validate_focused() {
  QtInput* field = form_->focused();
  if (!field || closed_) return true;
  auto keep = shared_from_this();
  auto keep_field = field->shared_from_this();
  form_->leaving = field;
  bool left = field->input_model().leave();
  form_->leaving = nullptr;
  if (!left) {
    // The focus stays (or goes where the field's handler put it).
    QtInput* target = form_->focused() ? form_->focused() : field;
    target->focus_quietly();
    input_->focused = &target->input_model();
    return false;
  }
  if (!input_->focused || input_->focused == &field->input_model())
    input_->focused = form_->model_of(QApplication::focusWidget());
  return true;
}

void QtFormSite::activate() {
  if (closed_ || !events_ || !visible_) return;
  if (session_->active_site == this) return;
  session_->active_site = this;
  raise_activated();
}

void QtFormSite::resized() {
  if (!shown_before_) return;
  raise_resized();
}

void QtFormSite::refresh_grids() {
  for (const auto& c : controls())
    if (auto grid = std::dynamic_pointer_cast<standin::GridModel>(c)) grid->refresh();
}

void QtFormSite::caption_changed() {
  if (dialog_) dialog_->setWindowTitle(qs(session_->caption(Caption())));
  if (embedded_ && session_->embed && content_) session_->embed(content_, session_->caption(Caption()));
  if (content_ && !embedded_ && !dialog_) content_->setWindowTitle(qs(session_->caption(Caption())));
}

void QtFormSite::icon_changed() {
  if (!content_ || runtime::is_blank(icon())) return;
  // The host's pictures are named; the one a window gets is the mark of linked multimedia data.
  QIcon picture = content_->style()->standardIcon(QStyle::SP_FileDialogInfoView);
  if (dialog_)
    dialog_->setWindowIcon(picture);
  else if (content_->window())
    content_->window()->setWindowIcon(picture);
}

void QtFormSite::place(bool modal) {
  placed_ = true;
  std::weak_ptr<QtFormSite> self = std::static_pointer_cast<QtFormSite>(shared_from_this());
  auto* watcher = new SiteWatcher(self, content_);
  watcher_ = watcher;
  content_->installEventFilter(watcher);
  if (modal) {
    QWidget* parent = session_->dialog_parent ? session_->dialog_parent() : nullptr;
    if (!parent) parent = QApplication::activeWindow();
    auto* dialog = new FormDialog(self, parent);
    dialog_ = dialog;
    dialog->setObjectName(qs(name() + "_DIALOG"));
    dialog->setWindowTitle(qs(session_->caption(Caption())));
    dialog->setModal(true);
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    content_->setParent(dialog);
    layout->addWidget(content_);
    dialog->installEventFilter(watcher);
    dialog->adjustSize();
  } else {
    embedded_ = session_->embed && session_->embed(content_, session_->caption(Caption()));
    if (!embedded_) content_->setWindowTitle(qs(session_->caption(Caption())));
    if (QWidget* top = content_->window(); top && top != content_) top->installEventFilter(watcher);
  }
  icon_changed();
}

void QtFormSite::Show(bool modal) {
  require_open();
  auto keep = shared_from_this();
  if (!placed_) place(modal);
  visible_ = true;
  if (!shown_before_) {
    if (!load_once()) return;
    for (const auto& c : controls()) {
      auto mdi = std::dynamic_pointer_cast<standin::MdiContainerModel>(c);
      if (!mdi || mdi->initializations().empty() || embedded_ || dialog_) continue;
      // Twips, 15 to a pixel.
      const auto& size = mdi->initializations().back();
      if (size.width > 0 && size.height > 0) content_->resize(size.width / 15, size.height / 15);
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
  if (auto watch = session_->modal_loop) watch(*this, true);
  dialog_->exec();
  modal_ = false;
  if (auto watch = session_->modal_loop) watch(*this, false);
  if (closed_ && dialog_) dialog_->deleteLater();
}

void QtFormSite::Close() {
  FormModel::Close();
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
  return sites_.find(form_name);
}

void QtFormFactory::script(const std::string& form_name, standin::UserAction action) {
  unshown_.script(form_name, std::move(action));
}

std::shared_ptr<host::FormSite> QtFormFactory::CreateForm(const host::FormDesign& design,
                                                          host::FormEvents* events) {
  if (unshown_.pending_actions(design.name) > 0) return unshown_.CreateForm(design, events);
  auto site = sites_.open(design, events, session_);
  if (session_->site_created) session_->site_created(*site);
  return site;
}

}  // namespace desktop
