// The monitor window: widgets over the debug/ monitor. Every change it makes
// goes through the monitor's command language or its run functions.
#include "app/monitor_window.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "app/app.h"
#include "debug/machine_monitor.h"
#include "debug/monitor.h"
#include "machine/scheduler.h"
#include "platform/platform.h"
#include "video/display_calls.h"

namespace MonitorWindow {

namespace {

constexpr int kDisassemblyRows = 24;
constexpr int kLinesBeforePc = 4;
constexpr int kRefreshMilliseconds = 200;  // the views while the machine runs
constexpr int kTraceLinesShown = 200;
constexpr int kLogLines = 5000;

// Held between two instructions: stopped by the monitor or paused from the menu.
bool Stopped() { return FrameScheduler::state.paused; }

QString Hex(unsigned value, int digits) { return QString::number(value, 16).toUpper().rightJustified(digits, '0'); }

// Runs commands of the monitor's language and returns what they printed.
QString Run(const QString& commands) {
    Debug::Submit(commands.toStdString());
    Debug::Pump();
    return QString::fromStdString(Debug::TakeOutput());
}

// Up to `lines` instruction addresses that lead into `pc`: the longest run
// of instructions, starting up to 16 bytes back, that lands on pc exactly.
std::vector<uint16_t> AddressesBefore(uint16_t pc, int lines) {
    for (int back = 16; back > 0; --back) {
        std::vector<uint16_t> run;
        uint16_t at = uint16_t(pc - back);
        while (uint16_t(pc - at) <= 16 && uint16_t(pc - at) != 0) {
            run.push_back(at);
            at = uint16_t(at + Debug::DecodeAt(at).length);
        }
        if (at == pc && !run.empty()) {
            if (int(run.size()) > lines) run.erase(run.begin(), run.end() - lines);
            return run;
        }
    }
    return {};
}

// The 64K as 4096 rows of 16 bytes and their characters.
class MemoryModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = {}) const override { return 4096; }
    int columnCount(const QModelIndex& = {}) const override { return 17; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        uint16_t row = uint16_t(index.row() * 16);
        if (index.column() < 16) return Hex(Debug::state.target.peek(uint16_t(row + index.column())), 2);
        QString text;
        for (int i = 0; i < 16; ++i) {
            uint8_t value = Debug::state.target.peek(uint16_t(row + i));
            text += (value >= 0x20 && value < 0x7F) ? QChar(value) : QChar('.');
        }
        return text;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return Hex(unsigned(section) * 16, 4);
        return section < 16 ? Hex(unsigned(section), 1) : QString("Text");
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags base = QAbstractTableModel::flags(index);
        return Stopped() ? base | Qt::ItemIsEditable : base;
    }

    // Hexadecimal bytes in a byte's cell; characters in the text column.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || !Stopped()) return false;
        uint16_t address = uint16_t(index.row() * 16 + (index.column() < 16 ? index.column() : 0));
        QString command = "e " + Hex(address, 4);
        if (index.column() < 16) {
            command += " " + value.toString().trimmed();
        } else {
            QByteArray text = value.toString().left(16).toLatin1();
            if (text.isEmpty()) return false;
            for (char c : text) command += " " + Hex(uint8_t(c), 2);
        }
        onEdit(Run(command));
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), 16));
        return true;
    }

    void Changed() { emit dataChanged(index(0, 0), index(4095, 16)); }

    std::function<void(const QString&)> onEdit;
};

struct RegisterField {
    const char* label;
    const char* name;  // in the command language
    int digits;
    uint32_t CpuState::*field;
    int shift;
};

constexpr RegisterField kRegisterFields[] = {
    {"AF", "af", 4, &CpuState::af, 0},      {"BC", "bc", 4, &CpuState::bc, 0},
    {"DE", "de", 4, &CpuState::de, 0},      {"HL", "hl", 4, &CpuState::hl, 0},
    {"IX", "ix", 4, &CpuState::ix, 0},      {"IY", "iy", 4, &CpuState::iy, 0},
    {"SP", "sp", 4, &CpuState::sp, 0},      {"PC", "pc", 4, &CpuState::pc, 0},
    {"AF'", "af'", 4, &CpuState::af2, 0},   {"BC'", "bc'", 4, &CpuState::bc2, 0},
    {"DE'", "de'", 4, &CpuState::de2, 0},   {"HL'", "hl'", 4, &CpuState::hl2, 0},
    {"I", "i", 2, &CpuState::i, 0},         {"R", "r", 2, &CpuState::r, 0},
    {"IM", "im", 1, &CpuState::interruptMode, 0}, {"IFF1", "iff1", 1, &CpuState::iff1, 0},
    {"IFF2", "iff2", 1, &CpuState::iff2, 0},
};
constexpr int kRegisterCount = int(sizeof kRegisterFields / sizeof kRegisterFields[0]);
constexpr const char* kFlagNames[8] = {"S", "Z", "5", "H", "3", "P/V", "N", "C"};

class Window : public QWidget {
public:
    Window() : QWidget(nullptr, Qt::Window) {
        setWindowTitle("Monitor - Virtual Zel Vega");
        setObjectName("monitorWindow");
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        setFont(fixed);

        auto* top = new QHBoxLayout;
        status = new QLabel("Running");
        status->setObjectName("status");
        top->addWidget(status, 1);
        runButton = AddButton(top, "Run", [] { return Run("g"); });
        // At once: commands typed after a run wait for its stop.
        stopButton = AddButton(top, "Stop", [] { return QString::fromStdString(Debug::Immediate("stop")); });
        stepButton = AddButton(top, "Step", [] { return Run("s"); });
        overButton = AddButton(top, "Over", [] { return Run("o"); });
        cursorButton = AddButton(top, "To Cursor", [this] {
            int row = disassembly->currentRow();
            if (row < 0 || row >= int(rowAddresses.size())) return QString("error: no line chosen for To Cursor\n");
            return Run("g " + Hex(rowAddresses[size_t(row)], 4));
        });
        returnButton = AddButton(top, "Until RET", [] { return Run("ret"); });

        // Registers, flags, stack, latches.
        auto* registers = new QGroupBox("Registers");
        auto* grid = new QGridLayout(registers);
        for (int i = 0; i < kRegisterCount; ++i) {
            const RegisterField& f = kRegisterFields[i];
            auto* edit = new QLineEdit;
            edit->setObjectName(QString("reg_") + f.name);
            edit->setMaxLength(f.digits);
            edit->setFixedWidth(fontMetrics().horizontalAdvance('0') * 6 + 8);
            connect(edit, &QLineEdit::editingFinished, this, [this, edit, i] {
                if (!edit->isModified() || !Stopped()) return;
                edit->setModified(false);  // committed: from now on it shows the register again
                Commanded(Run(QString("r ") + kRegisterFields[i].name + "=" + edit->text()));
            });
            registerEdits[i] = edit;
            // The main set in the first column, the alternate set and the rest in the second.
            int row = i < 8 ? i : i - 8, column = i < 8 ? 0 : 2;
            grid->addWidget(new QLabel(f.label), row, column);
            grid->addWidget(edit, row, column + 1);
        }
        auto* flags = new QHBoxLayout;
        for (int bit = 0; bit < 8; ++bit) {
            flagBoxes[bit] = new QCheckBox(kFlagNames[bit]);
            flagBoxes[bit]->setObjectName(QString("flag_") + kFlagNames[bit]);
            connect(flagBoxes[bit], &QCheckBox::clicked, this, [this] {
                unsigned f = 0;
                for (int b = 0; b < 8; ++b)
                    if (flagBoxes[b]->isChecked()) f |= 0x80u >> b;
                Commanded(Run("r f=" + Hex(f, 2)));
            });
            flags->addWidget(flagBoxes[bit]);
        }
        grid->addLayout(flags, 9, 0, 1, 4);
        stack = ReadOnlyText("stack");
        latches = ReadOnlyText("latches");
        latches->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        auto* left = new QWidget;
        auto* leftLayout = new QVBoxLayout(left);
        leftLayout->setContentsMargins(0, 0, 0, 0);
        leftLayout->addWidget(registers);
        leftLayout->addWidget(new QLabel("Stack"));
        leftLayout->addWidget(stack, 1);
        leftLayout->addWidget(new QLabel("Latches"));
        leftLayout->addWidget(latches, 1);

        // The disassembly: a click in the first column sets or clears a breakpoint.
        disassembly = new QTableWidget(kDisassemblyRows, 4);
        disassembly->setObjectName("disassembly");
        disassembly->setHorizontalHeaderLabels({"Brk", "Address", "Bytes", "Instruction"});
        disassembly->verticalHeader()->hide();
        disassembly->horizontalHeader()->setStretchLastSection(true);
        disassembly->setSelectionBehavior(QAbstractItemView::SelectRows);
        disassembly->setSelectionMode(QAbstractItemView::SingleSelection);
        disassembly->setEditTriggers(QAbstractItemView::NoEditTriggers);
        for (int row = 0; row < kDisassemblyRows; ++row)
            for (int column = 0; column < 4; ++column) disassembly->setItem(row, column, new QTableWidgetItem);
        const int digit = fontMetrics().horizontalAdvance('0');
        disassembly->setColumnWidth(0, digit * 4);
        disassembly->setColumnWidth(1, digit * 18);
        disassembly->setColumnWidth(2, digit * 13);
        disassembly->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        connect(disassembly, &QTableWidget::cellClicked, this, [this](int row, int column) {
            if (column != 0 || row >= int(rowAddresses.size())) return;
            Debug::ToggleBreakpoint(rowAddresses[size_t(row)]);
            RefreshDisassembly(false);
        });

        // Memory, with a go-to address.
        memoryModel = new MemoryModel;
        memoryModel->setParent(this);  // the view does not own its model
        memoryModel->onEdit = [this](const QString& out) { Commanded(out); };
        memory = new QTableView;
        memory->setObjectName("memory");
        memory->setModel(memoryModel);
        memory->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        memory->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        gotoEdit = new QLineEdit;
        gotoEdit->setObjectName("goto");
        gotoEdit->setPlaceholderText("address");
        connect(gotoEdit, &QLineEdit::returnPressed, this, [this] { Commanded(GoTo()); });
        auto* gotoRow = new QHBoxLayout;
        gotoRow->addWidget(new QLabel("Go to"));
        gotoRow->addWidget(gotoEdit, 1);
        AddButton(gotoRow, "Go", [this] { return GoTo(); });
        auto* right = new QWidget;
        auto* rightLayout = new QVBoxLayout(right);
        rightLayout->setContentsMargins(0, 0, 0, 0);
        rightLayout->addLayout(gotoRow);
        rightLayout->addWidget(memory, 1);

        auto* splitter = new QSplitter;
        splitter->addWidget(left);
        splitter->addWidget(disassembly);
        splitter->addWidget(right);
        splitter->setSizes({digit * 34, digit * 62, digit * 70});

        // The output of the commands and the trace.
        log = ReadOnlyText("log");
        log->setMaximumBlockCount(kLogLines);
        trace = ReadOnlyText("trace");
        traceLength = new QSpinBox;
        traceLength->setObjectName("traceLength");
        traceLength->setRange(0, int(Debug::kMaxTraceEntries));
        traceLength->setSpecialValueText("off");
        connect(traceLength, &QSpinBox::editingFinished, this, [this] {
            int n = traceLength->value();
            Commanded(Run(n == 0 ? QString("trace off") : "trace " + QString::number(n)));
        });
        auto* traceTab = new QWidget;
        auto* traceLayout = new QVBoxLayout(traceTab);
        auto* traceRow = new QHBoxLayout;
        traceRow->addWidget(new QLabel("Keep the last"));
        traceRow->addWidget(traceLength);
        traceRow->addWidget(new QLabel("instructions"), 1);
        AddButton(traceRow, "Save Trace...", [this] {
            platform::FileChooserRequest request;
            request.title = "Save Trace";
            request.filters = {{"Text Files (*.txt)", "*.txt"}};
            request.defaultExtension = "txt";
            auto path = platform::ChooseSaveFile(request);
            return path ? Run(QString("trace save \"%1\"").arg(QString::fromStdString(*path))) : QString();
        });
        traceLayout->addLayout(traceRow);
        traceLayout->addWidget(trace, 1);
        tabs = new QTabWidget;
        tabs->addTab(log, "Output");
        tabs->addTab(traceTab, "Trace");

        command = new QLineEdit;
        command->setObjectName("command");
        command->setPlaceholderText("command (help lists them)");
        connect(command, &QLineEdit::returnPressed, this, [this] {
            QString text = command->text();
            command->clear();
            log->appendPlainText("> " + text);
            Commanded(Run(text));
        });
        auto* commandRow = new QHBoxLayout;
        commandRow->addWidget(command, 1);
        AddButton(commandRow, "Load Symbols...", [this] {
            platform::FileChooserRequest request;
            request.title = "Load Symbols";
            request.filters = {{"Symbol Files (*.lst;*.sym;*.txt)", "*.lst;*.sym;*.txt"}, {"All Files", "*"}};
            request.mustExist = true;
            auto path = platform::ChooseOpenFile(request);
            return path ? Run(QString("sym \"%1\"").arg(QString::fromStdString(*path))) : QString();
        });

        auto* vertical = new QSplitter(Qt::Vertical);
        vertical->addWidget(splitter);
        vertical->addWidget(tabs);
        vertical->setStretchFactor(0, 3);
        vertical->setStretchFactor(1, 1);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(top);
        layout->addWidget(vertical, 1);
        layout->addLayout(commandRow);

        refreshTimer = new QTimer(this);
        // Running: the views follow the machine. Stopped: only a change made
        // elsewhere (a reset from the main window) redraws them.
        connect(refreshTimer, &QTimer::timeout, this, [this] {
            if (!isVisible()) return;
            if (!Stopped() || std::memcmp(&shownCpu, Debug::state.target.cpu, sizeof shownCpu) != 0) Refresh();
        });
        refreshTimer->start(kRefreshMilliseconds);
        resize(digit * 172, 760);
    }

    // Everything from the machine as it is now.
    void Refresh() {
        const bool stopped = Stopped();
        shownStopped = stopped;
        QString held = !FrameScheduler::state.monitorStopped ? QString("Paused")
                       : Debug::state.stopText.empty()      ? QString("Stopped")
                                                            : QString::fromStdString("Stopped: " + Debug::state.stopText);
        status->setText(stopped ? held : QString("Running"));
        for (QPushButton* b : {runButton, stepButton, overButton, cursorButton, returnButton}) b->setEnabled(stopped);
        stopButton->setEnabled(!stopped);
        const CpuState& cpu = *Debug::state.target.cpu;
        shownCpu = cpu;
        for (int i = 0; i < kRegisterCount; ++i) {
            const RegisterField& f = kRegisterFields[i];
            uint32_t value = f.field == &CpuState::r ? (cpu.r & 0x7F) | (cpu.r7 & 0x80) : cpu.*f.field;
            QLineEdit* edit = registerEdits[i];
            if (!edit->hasFocus() || !edit->isModified() || !stopped) edit->setText(Hex(value, f.digits));
            edit->setReadOnly(!stopped);
        }
        for (int bit = 0; bit < 8; ++bit) {
            flagBoxes[bit]->setChecked((cpu.af & (0x80u >> bit)) != 0);
            flagBoxes[bit]->setEnabled(stopped);
        }
        stack->setPlainText(QString::fromStdString(Text("k")));
        latches->setPlainText(QString::fromStdString(Text("l")));
        RefreshDisassembly(true);
        memoryModel->Changed();
        QString traceText;
        for (const Debug::TraceEntry& entry : Debug::TraceEntries(kTraceLinesShown))
            traceText += QString::fromStdString(Debug::TraceLine(entry)) + "\n";
        trace->setPlainText(traceText);
        if (!traceLength->hasFocus()) traceLength->setValue(int(Debug::state.traceCapacity));
    }

    // What a command printed goes to the log; the views follow.
    void Commanded(const QString& out) {
        if (!out.isEmpty()) log->appendPlainText(out.endsWith('\n') ? out.chopped(1) : out);
        Refresh();
        if (Stopped()) presentFrame(false);  // memory edits may have changed the picture
    }

    void closeEvent(QCloseEvent* event) override {
        // A closed monitor does not hold the machine; its breakpoints stay, and a stop reopens it.
        if (FrameScheduler::state.monitorStopped) Commanded(Run("g"));
        event->accept();
    }

    void FocusCommandLine() { command->setFocus(); }

    bool shownStopped = false;
    QPlainTextEdit* log = nullptr;

private:
    // A button whose action returns what its commands printed.
    QPushButton* AddButton(QHBoxLayout* row, const char* text, std::function<QString()> action) {
        auto* button = new QPushButton(text);
        connect(button, &QPushButton::clicked, this, [this, action] { Commanded(action()); });
        row->addWidget(button);
        return button;
    }

    QPlainTextEdit* ReadOnlyText(const char* name) {
        auto* text = new QPlainTextEdit;
        text->setObjectName(name);
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        return text;
    }

    // A view's own command, kept out of the log.
    static std::string Text(const char* commandText) { return Debug::Immediate(commandText); }

    // Scrolls the memory to the address typed (any monitor expression); an error goes to the log.
    QString GoTo() {
        std::string out = Debug::Immediate("m " + gotoEdit->text().toStdString() + " 0");
        if (!out.empty()) return QString::fromStdString(out);
        int row = Debug::state.nextMemory / 16;
        memory->scrollTo(memoryModel->index(row, 0), QAbstractItemView::PositionAtTop);
        memory->setCurrentIndex(memoryModel->index(row, Debug::state.nextMemory % 16));
        return QString();
    }

    // Lines from a little before PC; `follow` moves them when PC has left them.
    void RefreshDisassembly(bool follow) {
        uint16_t pc = uint16_t(Debug::state.target.cpu->pc);
        bool visible = false;
        for (size_t i = 0; i + 2 < rowAddresses.size(); ++i) visible = visible || rowAddresses[i] == pc;
        if (follow && !visible) {
            std::vector<uint16_t> before = AddressesBefore(pc, kLinesBeforePc);
            firstAddress = before.empty() ? pc : before.front();
        }
        rowAddresses.clear();
        uint16_t at = firstAddress;
        for (int row = 0; row < kDisassemblyRows; ++row) {
            Debug::Instruction instruction = Debug::DecodeAt(at);
            QString bytes;
            for (int i = 0; i < instruction.length; ++i)
                bytes += Hex(Debug::state.target.peek(uint16_t(at + i)), 2) + " ";
            QString address = Hex(at, 4);
            if (const std::string* name = Debug::NameAt(Debug::state.symbols, at))
                address += " " + QString::fromStdString(*name);
            disassembly->item(row, 0)->setText(Debug::HasExecuteBreakpoint(at) ? QString::fromUtf8("\u25CF") : "");
            disassembly->item(row, 1)->setText(address);
            disassembly->item(row, 2)->setText(bytes.trimmed());
            disassembly->item(row, 3)->setText(instruction.text);
            QBrush background = at == pc ? QBrush(QColor(255, 240, 150)) : QBrush();
            for (int column = 0; column < 4; ++column) disassembly->item(row, column)->setBackground(background);
            rowAddresses.push_back(at);
            at = uint16_t(at + instruction.length);
        }
    }

    QLabel* status = nullptr;
    QPushButton *runButton = nullptr, *stopButton = nullptr, *stepButton = nullptr, *overButton = nullptr,
                *cursorButton = nullptr, *returnButton = nullptr;
    QLineEdit* registerEdits[kRegisterCount] = {};
    QCheckBox* flagBoxes[8] = {};
    QPlainTextEdit *stack = nullptr, *latches = nullptr, *trace = nullptr;
    QTableWidget* disassembly = nullptr;
    std::vector<uint16_t> rowAddresses;
    uint16_t firstAddress = 0;
    MemoryModel* memoryModel = nullptr;
    QTableView* memory = nullptr;
    QLineEdit* gotoEdit = nullptr;
    QSpinBox* traceLength = nullptr;
    QTabWidget* tabs = nullptr;
    QLineEdit* command = nullptr;
    QTimer* refreshTimer = nullptr;
    CpuState shownCpu{};
};

QPointer<Window> window;

}  // namespace

void Open() {
    if (!window) {
        Debug::AttachMachine();
        window = new Window;
        if (QWidget* main = App::Window()) {
            // Beside the main window, but never past the screen's edge: on a small
            // screen it shrinks and overlaps the main window instead.
            const QRect screen = main->screen()->availableGeometry();
            const QSize size = window->size().boundedTo(screen.size() - QSize(16, 48));
            window->resize(size);
            QPoint at = main->frameGeometry().topRight() + QPoint(8, 0);
            at.setX(std::max(screen.left(), std::min(at.x(), screen.right() - size.width() - 8)));
            at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() - size.height() - 40)));
            window->move(at);
        }
    }
    // Opened while paused from the menu: the pause becomes the monitor's stop.
    if (FrameScheduler::state.paused) Debug::StopHere("paused");
    window->Refresh();
    window->show();
    window->raise();
    window->activateWindow();
    window->FocusCommandLine();
}

bool Shown() { return window && window->isVisible(); }

void Poll() {
    if (!window) return;
    platform::SetMenuCheck(App::kPause, FrameScheduler::state.paused);  // a stop or a run from here
    Debug::Pump();
    std::string out = Debug::TakeOutput();
    bool stopped = Stopped();
    if (FrameScheduler::state.monitorStopped && !window->shownStopped) Open();  // a stop shows the monitor
    if (!out.empty()) window->Commanded(QString::fromStdString(out));
    else if (stopped != window->shownStopped) window->Refresh();
}

void Shutdown() {
    if (!window) return;
    delete window.data();
    Debug::Detach();
}

QWidget* Widget() { return window.data(); }

}  // namespace MonitorWindow
