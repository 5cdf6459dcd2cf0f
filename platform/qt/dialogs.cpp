// Modal dialogs by control id: a QDialog built from a layout, one widget per
// control, user actions forwarded to the dialog procedure as events.
//
// Buttons that carry a mark (radio buttons, check boxes) do not change it on
// a click: the procedure sets marks itself, as plain (non-automatic) buttons
// behave on the original host.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyledItemDelegate>
#include <map>

#include "platform/qt/qt_host.h"

namespace platform {

namespace {

class MarkedRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override {}
};

class MarkedCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

// Owner-drawn colour button: asks the procedure for its colour on every paint.
class SwatchButton : public QPushButton {
public:
    std::function<void()> onDraw;
    Rgb colour;
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        if (onDraw) onDraw();
        QPainter painter(this);
        painter.setPen(Qt::black);
        painter.setBrush(QColor(colour.r, colour.g, colour.b));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// Takes the focus and every key, so held keys can be read from the key
// state; reports left clicks.
class PromptField : public QWidget {
public:
    std::function<void()> onClick;
    QString text;
    explicit PromptField(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            event->accept();
            return true;
        }
        return QWidget::event(event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        setFocus(Qt::MouseFocusReason);
        if (onClick) onClick();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().base());
        painter.setPen(palette().color(hasFocus() ? QPalette::Highlight : QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect().adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
    }
};

// Names with a tab: the part after the tab starts at the next tab stop.
class TabStopDelegate : public QStyledItemDelegate {
public:
    int stopPixels;
    TabStopDelegate(QObject* parent, int stop) : QStyledItemDelegate(parent), stopPixels(stop) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QString text = index.data().toString();
        if (!text.contains('\t')) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem copy = option;
        initStyleOption(&copy, index);
        copy.text.clear();
        option.widget->style()->drawControl(QStyle::CE_ItemViewItem, &copy, painter, option.widget);
        painter->save();
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                     : QPalette::Text));
        int x = option.rect.x() + 2;
        for (const QString& part : text.split('\t')) {
            painter->drawText(QRect(x, option.rect.y(), option.rect.right() - x, option.rect.height()),
                              Qt::AlignVCenter | Qt::AlignLeft, part);
            int end = x + option.fontMetrics.horizontalAdvance(part) + 4 - option.rect.x();
            x = option.rect.x() + (end / stopPixels + 1) * stopPixels;
        }
        painter->restore();
    }
};

}  // namespace

struct Dialog {
    QDialog* widget = nullptr;
    DialogProc proc = nullptr;
    void* context = nullptr;
    std::map<int, QWidget*> controls;
    std::map<int, ControlKind> kinds;
    bool ended = false;
    bool executing = false;
    int result = kDialogCancel;

    void send(DialogEvent event, int id) {
        if (!ended) proc(this, event, id, context);
    }
    QWidget* control(int id) const {
        auto it = controls.find(id);
        return it == controls.end() ? nullptr : it->second;
    }
};

namespace {

class HostDialog : public QDialog {
public:
    Dialog* owner = nullptr;
    using QDialog::QDialog;

    // Esc and the close box both come to the procedure as Cancel.
    void reject() override {
        if (!owner || owner->ended) {
            QDialog::reject();
            return;
        }
        owner->send(DialogEvent::Click, kDialogCancel);
        if (!owner->ended) {
            owner->ended = true;
            owner->result = kDialogCancel;
            QDialog::done(kDialogCancel);
        }
    }
    void accept() override {}  // only DialogEnd closes the dialog
};

// Dialog units: a quarter of the average character width, an eighth of the line height.
struct Units {
    double x = 1.5, y = 1.75;
    int px(int du) const { return int(du * x + 0.5); }
    int py(int du) const { return int(du * y + 0.5); }
};

Units unitsFor(const QFont& font) {
    QFontMetrics metrics(font);
    Units units;
    int average = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    units.x = (average / 52.0) / 4.0;
    units.y = metrics.height() / 8.0;
    return units;
}

QString qs(const char* text) { return QString::fromLatin1(text ? text : ""); }

QWidget* buildControl(Dialog* dialog, QDialog* parent, const ControlDef& def, const Units& units) {
    const int id = def.id;
    QWidget* widget = nullptr;
    switch (def.kind) {
        case ControlKind::RadioButton: {
            auto* button = new MarkedRadioButton(qs(def.text), parent);
            button->setAutoExclusive(false);
            QObject::connect(button, &QAbstractButton::clicked, parent, [dialog, id] { dialog->send(DialogEvent::Click, id); });
            widget = button;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new MarkedCheckBox(qs(def.text), parent);
            QObject::connect(box, &QAbstractButton::clicked, parent, [dialog, id] { dialog->send(DialogEvent::Click, id); });
            widget = box;
            break;
        }
        case ControlKind::PushButton:
        case ControlKind::DefaultButton: {
            auto* button = new QPushButton(qs(def.text), parent);
            button->setDefault(def.kind == ControlKind::DefaultButton);
            button->setAutoDefault(def.kind == ControlKind::DefaultButton);
            QObject::connect(button, &QAbstractButton::clicked, parent, [dialog, id] { dialog->send(DialogEvent::Click, id); });
            widget = button;
            break;
        }
        case ControlKind::EditField:
        case ControlKind::NumberField: {
            auto* edit = new QLineEdit(qs(def.text), parent);
            if (def.kind == ControlKind::NumberField)
                edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
            widget = edit;
            break;
        }
        case ControlKind::StaticText: {
            auto* label = new QLabel(qs(def.text), parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment((def.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
            label->setWordWrap(def.height > 12);
            widget = label;
            break;
        }
        case ControlKind::GroupBox:
            widget = new QGroupBox(qs(def.text), parent);
            break;
        case ControlKind::ListBox: {
            auto* list = new QListWidget(parent);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            if (def.tabStops) list->setItemDelegate(new TabStopDelegate(list, units.px(32)));
            QObject::connect(list, &QListWidget::currentRowChanged, parent,
                             [dialog, id](int) { dialog->send(DialogEvent::SelectionChange, id); });
            QObject::connect(list, &QListWidget::itemDoubleClicked, parent,
                             [dialog, id](QListWidgetItem*) { dialog->send(DialogEvent::DoubleClick, id); });
            widget = list;
            break;
        }
        case ControlKind::Slider: {
            auto* slider = new QSlider(Qt::Horizontal, parent);
            slider->setTickPosition(QSlider::TicksBelow);
            QObject::connect(slider, &QSlider::valueChanged, parent, [dialog, id](int) { dialog->send(DialogEvent::SliderMoved, id); });
            widget = slider;
            break;
        }
        case ControlKind::Swatch: {
            auto* swatch = new SwatchButton(parent);
            swatch->onDraw = [dialog, id] { dialog->send(DialogEvent::DrawSwatch, id); };
            QObject::connect(swatch, &QAbstractButton::clicked, parent, [dialog, id] { dialog->send(DialogEvent::Click, id); });
            widget = swatch;
            break;
        }
        case ControlKind::PromptField: {
            auto* prompt = new PromptField(parent);
            prompt->text = qs(def.text);
            prompt->onClick = [dialog, id] { dialog->send(DialogEvent::PromptClick, id); };
            widget = prompt;
            break;
        }
    }
    widget->setGeometry(units.px(def.x), units.py(def.y), std::max(units.px(def.width), 1),
                        std::max(units.py(def.height), 1));
    if (def.kind == ControlKind::GroupBox) widget->lower();
    return widget;
}

template <typename T>
T* as(Dialog* dialog, int id) {
    return dialog ? dynamic_cast<T*>(dialog->control(id)) : nullptr;
}

}  // namespace

int RunDialog(const DialogLayout& layout, DialogProc proc, void* context) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = qt::MainWindow();
    HostDialog host(owner);
    Dialog dialog;
    dialog.widget = &host;
    dialog.proc = proc;
    dialog.context = context;
    host.owner = &dialog;
    host.setWindowTitle(qs(layout.title));
    if (layout.fixedPitchFont) host.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Units units = unitsFor(host.font());
    host.setFixedSize(units.px(layout.width), units.py(layout.height));
    QWidget* firstFocus = nullptr;
    for (int i = 0; i < layout.controlCount; ++i) {
        const ControlDef& def = layout.controls[i];
        QWidget* widget = buildControl(&dialog, &host, def, units);
        if (def.id != -1) {
            dialog.controls[def.id] = widget;
            dialog.kinds[def.id] = def.kind;
        }
        if (!firstFocus && def.kind == ControlKind::PromptField) firstFocus = widget;
    }
    dialog.send(DialogEvent::Init, 0);
    if (firstFocus) firstFocus->setFocus();
    if (!dialog.ended) {
        dialog.executing = true;
        host.exec();
        dialog.executing = false;
    }
    int result = dialog.ended ? dialog.result : kDialogCancel;
    host.owner = nullptr;
    return result;
}

void DialogEnd(Dialog* dialog, int result) {
    if (dialog->ended) return;
    dialog->ended = true;
    dialog->result = result;
    if (dialog->executing) dialog->widget->done(result);
}

void DialogSetText(Dialog* dialog, int id, const std::string& text) {
    QWidget* widget = dialog->control(id);
    QString value = QString::fromLatin1(text.c_str());
    if (auto* edit = dynamic_cast<QLineEdit*>(widget)) {
        QSignalBlocker block(edit);
        edit->setText(value);
    } else if (auto* label = dynamic_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* button = dynamic_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* group = dynamic_cast<QGroupBox*>(widget)) {
        group->setTitle(value);
    } else if (auto* prompt = dynamic_cast<PromptField*>(widget)) {
        prompt->text = value;
        prompt->update();
    }
}

std::string DialogGetText(Dialog* dialog, int id) {
    QWidget* widget = dialog->control(id);
    QString value;
    if (auto* edit = dynamic_cast<QLineEdit*>(widget)) value = edit->text();
    else if (auto* label = dynamic_cast<QLabel*>(widget)) value = label->text();
    else if (auto* button = dynamic_cast<QAbstractButton*>(widget)) value = button->text();
    else if (auto* group = dynamic_cast<QGroupBox*>(widget)) value = group->title();
    else if (auto* prompt = dynamic_cast<PromptField*>(widget)) value = prompt->text;
    return value.toLatin1().toStdString();
}

void DialogSetNumber(Dialog* dialog, int id, uint32_t value) { DialogSetText(dialog, id, std::to_string(value)); }

bool DialogGetNumber(Dialog* dialog, int id, uint32_t* value) {
    // Leading blanks, then decimal digits only, within 32 bits.
    std::string text = DialogGetText(dialog, id);
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    *value = 0;
    if (i == text.size()) return false;
    uint64_t n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        n = n * 10 + uint64_t(text[i] - '0');
        if (n > 0xFFFFFFFFull) return false;
    }
    *value = uint32_t(n);
    return true;
}

void DialogCheck(Dialog* dialog, int id, bool checked) {
    if (auto* button = as<QAbstractButton>(dialog, id)) {
        QSignalBlocker block(button);
        button->setChecked(checked);
    }
}

bool DialogIsChecked(Dialog* dialog, int id) {
    auto* button = as<QAbstractButton>(dialog, id);
    return button && button->isChecked();
}

void DialogEnable(Dialog* dialog, int id, bool enabled) {
    if (QWidget* widget = dialog->control(id)) widget->setEnabled(enabled);
}

bool DialogIsEnabled(Dialog* dialog, int id) {
    QWidget* widget = dialog->control(id);
    return widget && widget->isEnabled();
}

void DialogFocus(Dialog* dialog, int id) {
    if (QWidget* widget = dialog->control(id)) widget->setFocus();
}

void DialogListClear(Dialog* dialog, int id) {
    if (auto* list = as<QListWidget>(dialog, id)) {
        QSignalBlocker block(list);
        list->clear();
    }
}

void DialogListAdd(Dialog* dialog, int id, const std::string& text) {
    if (auto* list = as<QListWidget>(dialog, id)) {
        QSignalBlocker block(list);
        list->addItem(QString::fromLatin1(text.c_str()));
    }
}

int DialogListCount(Dialog* dialog, int id) {
    auto* list = as<QListWidget>(dialog, id);
    return list ? list->count() : 0;
}

std::string DialogListItem(Dialog* dialog, int id, int index) {
    auto* list = as<QListWidget>(dialog, id);
    if (!list || index < 0 || index >= list->count()) return std::string();
    return list->item(index)->text().toLatin1().toStdString();
}

int DialogListSelection(Dialog* dialog, int id) {
    auto* list = as<QListWidget>(dialog, id);
    if (!list) return -1;
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

void DialogListSelect(Dialog* dialog, int id, int index) {
    auto* list = as<QListWidget>(dialog, id);
    if (!list) return;
    QSignalBlocker block(list);
    if (index >= 0 && index < list->count()) {
        list->setCurrentRow(index);
        list->scrollToItem(list->item(index));
    } else {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
}

void DialogSliderSetup(Dialog* dialog, int id, int minimum, int maximum, int tickEvery) {
    if (auto* slider = as<QSlider>(dialog, id)) {
        QSignalBlocker block(slider);
        slider->setRange(minimum, maximum);
        slider->setTickInterval(tickEvery > 0 ? tickEvery : 0);
        slider->setPageStep(tickEvery > 0 ? tickEvery : 1);
    }
}

void DialogSliderSetPosition(Dialog* dialog, int id, int position) {
    if (auto* slider = as<QSlider>(dialog, id)) {
        QSignalBlocker block(slider);
        slider->setValue(position);
    }
}

int DialogSliderPosition(Dialog* dialog, int id) {
    auto* slider = as<QSlider>(dialog, id);
    return slider ? slider->value() : 0;
}

void DialogInvalidate(Dialog* dialog, int id) {
    if (QWidget* widget = dialog->control(id)) widget->update();
}

void DialogFillSwatch(Dialog* dialog, int id, Rgb colour) {
    if (auto* swatch = as<SwatchButton>(dialog, id)) swatch->colour = colour;
}

}  // namespace platform
