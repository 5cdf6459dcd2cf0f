// The dialog API rendered with widgets and driven as a user would: every
// control kind, events back to the procedure, marks left to the procedure,
// OK, Esc and the close box.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "platform/platform.h"
#include "qt_tests.h"

namespace {

using platform::ControlKind;
using platform::DialogEvent;

enum Id { kRadio = 10, kCheck = 11, kSelfToggling = 12, kEdit = 13, kNumber = 14, kLabel = 15, kGroup = 16,
          kList = 17, kSlider = 18, kSwatch = 19, kPrompt = 20, kButton = 21 };

constexpr platform::ControlDef kControls[] = {
    {kGroup, ControlKind::GroupBox, "Group", 4, 4, 190, 40},
    {kRadio, ControlKind::RadioButton, "Radio", 10, 14, 60, 10},
    {kCheck, ControlKind::CheckBox, "Check", 80, 14, 60, 10},
    {kSelfToggling, ControlKind::CheckBox, "Toggled by the procedure", 10, 28, 120, 10},
    {kEdit, ControlKind::EditField, "start", 10, 50, 80, 12},
    {kNumber, ControlKind::NumberField, "", 100, 50, 40, 12},
    {kLabel, ControlKind::StaticText, "Label", 150, 52, 40, 8},
    {kList, ControlKind::ListBox, "", 10, 68, 120, 60, true},
    {kSlider, ControlKind::Slider, "", 140, 68, 60, 16},
    {kSwatch, ControlKind::Swatch, "", 140, 90, 16, 16},
    {kPrompt, ControlKind::PromptField, "Click here", 10, 134, 100, 12},
    {kButton, ControlKind::PushButton, "Other", 120, 134, 40, 14},
    {platform::kDialogOk, ControlKind::DefaultButton, "OK", 10, 152, 50, 14},
    {platform::kDialogCancel, ControlKind::PushButton, "Cancel", 70, 152, 50, 14},
};
constexpr platform::DialogLayout kLayout = {"Test Dialog", 210, 172, kControls, int(std::size(kControls))};

struct Record {
    std::vector<std::pair<DialogEvent, int>> events;
    Rgb swatch{200, 40, 10};
    // The controls as the procedure reads them on OK.
    int selection = -2, slider = -1;
    uint32_t number = 0;
    bool numberOk = false;
    std::string text, item;
    int count(DialogEvent event, int id) const {
        int n = 0;
        for (auto& e : events) n += e.first == event && e.second == id;
        return n;
    }
};

void proc(platform::Dialog* dialog, DialogEvent event, int id, void* context) {
    auto* record = static_cast<Record*>(context);
    record->events.push_back({event, id});
    switch (event) {
        case DialogEvent::Init:
            platform::DialogListAdd(dialog, kList, "F1");
            platform::DialogListAdd(dialog, kList, "HOME\tShift CLR");
            platform::DialogListAdd(dialog, kList, "Esc");
            platform::DialogSliderSetup(dialog, kSlider, 0, 100, 10);
            platform::DialogSliderSetPosition(dialog, kSlider, 50);
            platform::DialogCheck(dialog, kCheck, true);
            break;
        case DialogEvent::SliderMoved:
            for (int shown : {kLabel, kEdit})
                platform::DialogSetText(dialog, shown, std::to_string(platform::DialogSliderPosition(dialog, kSlider)));
            break;
        case DialogEvent::Click:
            if (id == kSelfToggling) platform::DialogCheck(dialog, id, !platform::DialogIsChecked(dialog, id));
            if (id == platform::kDialogOk) {
                record->selection = platform::DialogListSelection(dialog, kList);
                record->item = platform::DialogListItem(dialog, kList, record->selection);
                record->slider = platform::DialogSliderPosition(dialog, kSlider);
                record->numberOk = platform::DialogGetNumber(dialog, kNumber, &record->number);
                record->text = platform::DialogGetText(dialog, kEdit);
            }
            if (id == platform::kDialogOk || id == platform::kDialogCancel)
                platform::DialogEnd(dialog, id);
            break;
        case DialogEvent::DrawSwatch:
            platform::DialogFillSwatch(dialog, id, record->swatch);
            break;
        default:
            break;
    }
}

QDialog* openDialog() { return qobject_cast<QDialog*>(QApplication::activeModalWidget()); }

template <typename T>
T* find(QDialog* dialog, const QString& text = QString()) {
    for (T* widget : dialog->findChildren<T*>()) {
        if (text.isEmpty()) return widget;
        if constexpr (std::is_base_of_v<QAbstractButton, T>) {
            if (widget->text() == text) return widget;
        }
    }
    return nullptr;
}

// Runs the layout; `script` acts on the open dialog once its loop runs.
int run(Record& record, std::function<void(QDialog*)> script) {
    QTimer::singleShot(0, [script] {
        QDialog* dialog = openDialog();
        QVERIFY(dialog);
        script(dialog);
        // A failed check leaves the script early: never leave the dialog hanging.
        if (openDialog() == dialog) dialog->done(platform::kDialogCancel);
    });
    return platform::RunDialog(kLayout, proc, &record);
}

void clickLeftEdge(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2)); }

}  // namespace

class DialogRenderingTest : public QObject {
    Q_OBJECT
private slots:
    // The controls as the layout and Init made them; then marks, the list, the
    // slider, the edits and the swatch as a user works them, and OK, where the
    // procedure reads the controls back.
    void controlsBuiltAndWorked() {
        Record record;
        bool afterCheck = true, afterRadio = true, afterSelf = false;
        QString label, edit;
        QColor swatchCentre;
        int result = run(record, [&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Test Dialog"));
            QCOMPARE(find<QGroupBox>(dialog)->title(), QString("Group"));
            QVERIFY(!find<QRadioButton>(dialog, "Radio")->autoExclusive());
            QVERIFY(find<QCheckBox>(dialog, "Check")->isChecked());  // checked by Init
            QCOMPARE(find<QLineEdit>(dialog)->text(), QString("start"));
            QCOMPARE(find<QListWidget>(dialog)->count(), 3);
            QCOMPARE(find<QSlider>(dialog)->value(), 50);
            // The prompt field has the focus from the start.
            QWidget* focus = dialog->focusWidget();
            QVERIFY(focus && !qobject_cast<QAbstractButton*>(focus) && !qobject_cast<QLineEdit*>(focus));

            clickLeftEdge(find<QCheckBox>(dialog, "Check"));
            afterCheck = find<QCheckBox>(dialog, "Check")->isChecked();
            clickLeftEdge(find<QRadioButton>(dialog, "Radio"));
            afterRadio = find<QRadioButton>(dialog, "Radio")->isChecked();
            clickLeftEdge(find<QCheckBox>(dialog, "Toggled by the procedure"));
            afterSelf = find<QCheckBox>(dialog, "Toggled by the procedure")->isChecked();
            QTest::mouseClick(find<QPushButton>(dialog, "Other"), Qt::LeftButton);
            auto* list = find<QListWidget>(dialog);
            QRect row = list->visualItemRect(list->item(2));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
            find<QSlider>(dialog)->triggerAction(QAbstractSlider::SliderPageStepSub);
            auto edits = dialog->findChildren<QLineEdit*>();
            label = find<QLabel>(dialog)->text();
            edit = edits[0]->text();
            edits[0]->clear();
            QTest::keyClicks(edits[0], "typed text");
            QTest::keyClicks(edits[1], "12a34");  // a number field takes digits only
            QImage image = dialog->grab().toImage();
            QWidget* swatch = nullptr;
            for (auto* button : dialog->findChildren<QPushButton*>())
                if (button->text().isEmpty()) swatch = button;
            QVERIFY(swatch);
            swatchCentre = image.pixelColor(swatch->geometry().center() * image.devicePixelRatio());
            QTest::mouseClick(swatch, Qt::LeftButton);
            QTest::mouseClick(find<QPushButton>(dialog, "OK"), Qt::LeftButton);
        });
        QCOMPARE(result, platform::kDialogOk);
        QCOMPARE(record.events.front().first, DialogEvent::Init);
        QVERIFY(afterCheck);    // still as Init set it
        QVERIFY(!afterRadio);   // nobody marked it
        QVERIFY(afterSelf);     // the procedure toggled it
        const std::pair<DialogEvent, int> once[] = {
            {DialogEvent::Click, kCheck},          {DialogEvent::Click, kRadio},
            {DialogEvent::Click, kSelfToggling},   {DialogEvent::Click, kButton},
            {DialogEvent::SelectionChange, kList}, {DialogEvent::DoubleClick, kList},
            {DialogEvent::SliderMoved, kSlider},   {DialogEvent::Click, kSwatch},
            {DialogEvent::Click, platform::kDialogOk},
        };
        for (auto [event, id] : once) QVERIFY2(record.count(event, id) == 1, qPrintable(QString::number(id)));
        QVERIFY(record.count(DialogEvent::DrawSwatch, kSwatch) >= 1);
        QCOMPARE(swatchCentre, QColor(200, 40, 10));
        QCOMPARE(label, QString("40"));  // set by the procedure as the slider moved
        QCOMPARE(edit, QString("40"));
        QCOMPARE(record.selection, 2);
        QCOMPARE(record.item, std::string("Esc"));
        QCOMPARE(record.slider, 40);
        QVERIFY(record.numberOk);
        QCOMPARE(record.number, 1234u);
        QCOMPARE(record.text, std::string("typed text"));
    }

    void escapeEndsWithCancel() {
        Record record;
        int result = run(record, [](QDialog* dialog) { QTest::keyClick(find<QPushButton>(dialog, "Other"), Qt::Key_Escape); });
        QCOMPARE(result, platform::kDialogCancel);
        QCOMPARE(record.count(DialogEvent::Click, platform::kDialogCancel), 1);
    }

    // Filters in both letter cases (the host's names are case sensitive), the
    // default extension and the preset file selected.
    void fileChooserTakesFiltersExtensionAndPreset() {
        QTemporaryDir folder;
        QFile existing(folder.filePath("window.cp6"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            seen = chooser->nameFilters();
            seen << chooser->defaultSuffix() << QFileInfo(chooser->selectedFiles().value(0)).fileName()
                 << (chooser->fileMode() == QFileDialog::ExistingFile ? "existing" : "any");
            chooser->reject();
        });
        platform::FileChooserRequest request;
        request.title = "Play Cassette File";
        request.filters = {{"Zel Vega Cassette Files (*.CP6)", "*.cp6"}, {"ROM images", "*.rom;*.bin"}};
        request.defaultExtension = "cp6";
        request.mustExist = true;
        request.presetPath = existing.fileName().toStdString();
        QVERIFY(!platform::ChooseOpenFile(request));  // cancelled
        QCOMPARE(seen, QStringList({"Zel Vega Cassette Files (*.cp6 *.CP6)", "ROM images (*.rom *.ROM *.bin *.BIN)",
                                    "cp6", "window.cp6", "existing"}));
    }
};

std::vector<std::unique_ptr<QObject>> makeDialogTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(std::make_unique<DialogRenderingTest>());
    return tests;
}

#include "dialog_rendering_test.moc"
