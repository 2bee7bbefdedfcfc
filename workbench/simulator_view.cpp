#include "workbench/simulator_view.h"

#include "common/mcs48_memory.h"
#include "mcs48/disassembler.h"
#include "workbench/simulator_session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tovi {
namespace {

const QColor changedColour(0xFF, 0xE0, 0x80);
// Both RAM tables have room for the largest internal RAM, 16 bytes a row.
constexpr int memoryRows = std::tuple_size_v<decltype(mcs48::State::ram)> / 16;

QString hexText(int value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

// RAM address of register R0 of bank 0 or 1.
int registerBase(int bank) {
    return mcs48::registerBaseOf(bank == 0 ? 0 : mcs48::pswBankSelect);
}

// A hexadecimal value typed by the user, or -1.
int parsedHex(const QString& text, int highest) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 16);
    return ok && value >= 0 && value <= highest ? value : -1;
}

QFont fixedFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    return font;
}

QString portText(mcs48::Port port) {
    const std::string_view name = mcs48::portName(port);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QTableWidget* hexTable(int rows, int columns, const QStringList& columnNames) {
    auto* table = new QTableWidget(rows, columns);
    table->setFont(fixedFont());
    table->setHorizontalHeaderLabels(columnNames);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            table->setItem(row, column, new QTableWidgetItem(QStringLiteral("00")));
        }
    }
    return table;
}

QStringList hexColumnNames(int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names << hexText(i, 1);
    }
    return names;
}

QString timerModeText(mcs48::TimerMode mode) {
    switch (mode) {
    case mcs48::TimerMode::Timer:
        return QStringLiteral("Zeitgeber");
    case mcs48::TimerMode::Counter:
        return QStringLiteral("Zähler an T1");
    case mcs48::TimerMode::Stopped:
        break;
    }
    return QStringLiteral("gestoppt");
}

// Simulated time in the unit that keeps it short: µs, ms or s, German decimals.
QString timeText(double microseconds) {
    const QLocale german(QLocale::German, QLocale::Germany);
    if (microseconds < 1000.0) {
        return german.toString(microseconds, 'f', 3) + QStringLiteral(" µs");
    }
    if (microseconds < 1'000'000.0) {
        return german.toString(microseconds / 1000.0, 'f', 3) + QStringLiteral(" ms");
    }
    return german.toString(microseconds / 1'000'000.0, 'f', 3) + QStringLiteral(" s");
}

std::uint8_t pinsOf(const mcs48::State& state, int port) {
    return port == 0 ? state.p1Pins : port == 1 ? state.p2Pins : state.busPins;
}

} // namespace

SimulatorView::SimulatorView(SimulatorSession& session, QWidget* parent)
    : QWidget(parent), session_(session), baseline_(session.state()) {
    setObjectName(QStringLiteral("simulatorView"));
    auto* content = new QWidget;
    auto* columns = new QHBoxLayout(content);
    auto* left = new QVBoxLayout;
    left->addWidget(createChoices());
    left->addWidget(createProcessor());
    left->addWidget(createTimer());
    left->addWidget(createStack());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(createPorts());
    right->addWidget(createMemory(QStringLiteral("Interner RAM"), memoryRows, ram_));
    ram_->setObjectName(QStringLiteral("internalRam"));
    right->addWidget(createMemory(QStringLiteral("Externer RAM (MOVX)"), memoryRows, xram_));
    xram_->setObjectName(QStringLiteral("externalRam"));
    right->addStretch();
    columns->addLayout(left);
    columns->addLayout(right);
    auto* scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    connect(&session_, &SimulatorSession::changed, this, &SimulatorView::refresh);
    refresh();
}

QWidget* SimulatorView::createChoices() {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    chipChoice_ = new QComboBox;
    chipChoice_->setObjectName(QStringLiteral("chipChoice"));
    for (std::size_t family = 0; family < mcs48::chipFamilies.size(); ++family) {
        const auto chip = static_cast<mcs48::Chip>(family);
        const std::string_view name = mcs48::nameOf(chip);
        chipChoice_->addItem(QStringLiteral("%1 (%2 Byte RAM)")
                                 .arg(QString::fromUtf8(name.data(), std::ssize(name)))
                                 .arg(mcs48::ramSizeOf(chip)));
    }
    chipChoice_->setCurrentIndex(static_cast<int>(session_.chip()));
    connect(chipChoice_, &QComboBox::currentIndexChanged, this,
            [this](int index) { session_.setChip(static_cast<mcs48::Chip>(index)); });
    clockChoice_ = new QDoubleSpinBox;
    clockChoice_->setObjectName(QStringLiteral("clockChoice"));
    clockChoice_->setRange(0.001, 100.0);
    clockChoice_->setDecimals(3);
    clockChoice_->setSuffix(QStringLiteral(" MHz"));
    clockChoice_->setValue(session_.clockKHz() / 1000.0);
    connect(clockChoice_, &QDoubleSpinBox::valueChanged, this,
            [this](double mhz) { session_.setClockKHz(static_cast<int>(mhz * 1000.0 + 0.5)); });
    layout->addWidget(new QLabel(QStringLiteral("Chip:")));
    layout->addWidget(chipChoice_);
    layout->addWidget(new QLabel(QStringLiteral("Takt:")));
    layout->addWidget(clockChoice_);
    return box;
}

QWidget* SimulatorView::createProcessor() {
    auto* box = new QGroupBox(QStringLiteral("Prozessor"));
    auto* grid = new QGridLayout(box);
    pc_ = hexField(QStringLiteral("pcField"), 3,
                   [](mcs48::State& s, int v) { s.pc = static_cast<std::uint16_t>(v); });
    a_ = hexField(QStringLiteral("aField"), 2,
                  [](mcs48::State& s, int v) { s.a = static_cast<std::uint8_t>(v); });
    psw_ = hexField(QStringLiteral("pswField"), 2, [](mcs48::State& s, int v) {
        s.psw = static_cast<std::uint8_t>(v | mcs48::pswOne);
    });
    instruction_ = new QLabel;
    instruction_->setObjectName(QStringLiteral("instruction"));
    instruction_->setFont(fixedFont());
    flags_ = new QLabel;
    flags_->setObjectName(QStringLiteral("flags"));
    flags_->setFont(fixedFont());
    f1_ = flagBox(QStringLiteral("F1"), [](mcs48::State& s, bool on) { s.f1 = on; });
    mb_ = flagBox(QStringLiteral("MB1"), [](mcs48::State& s, bool on) { s.mb = on; });
    grid->addWidget(new QLabel(QStringLiteral("PC")), 0, 0);
    grid->addWidget(pc_, 0, 1);
    grid->addWidget(instruction_, 0, 2, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("A")), 1, 0);
    grid->addWidget(a_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("PSW")), 1, 2);
    grid->addWidget(psw_, 1, 3);
    grid->addWidget(f1_, 1, 4);
    grid->addWidget(mb_, 1, 5);
    grid->addWidget(flags_, 2, 0, 1, 6);
    grid->setColumnStretch(5, 1);
    registers_ = hexTable(2, 8, {"R0", "R1", "R2", "R3", "R4", "R5", "R6", "R7"});
    registers_->setObjectName(QStringLiteral("registers"));
    registers_->setVerticalHeaderLabels({QStringLiteral("RB0"), QStringLiteral("RB1")});
    connect(registers_, &QTableWidget::itemChanged, this, &SimulatorView::memoryEdited);
    grid->addWidget(registers_, 3, 0, 1, 6);
    return box;
}

QWidget* SimulatorView::createStack() {
    auto* box = new QGroupBox(QStringLiteral("Stapel"));
    auto* layout = new QVBoxLayout(box);
    stack_ =
        hexTable(mcs48::stackLevels, 2, {QStringLiteral("Rücksprung"), QStringLiteral("PSW 4-7")});
    stack_->setObjectName(QStringLiteral("stack"));
    stack_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(stack_);
    return box;
}

QWidget* SimulatorView::createTimer() {
    auto* box = new QGroupBox(QStringLiteral("Timer/Zähler und Interrupts"));
    auto* grid = new QGridLayout(box);
    timer_ = hexField(QStringLiteral("timerField"), 2,
                      [](mcs48::State& s, int v) { s.timer = static_cast<std::uint8_t>(v); });
    timerMode_ = new QLabel;
    timerMode_->setObjectName(QStringLiteral("timerMode"));
    timerFlag_ = flagBox(QStringLiteral("TF"), [](mcs48::State& s, bool on) { s.timerFlag = on; });
    interruptEnabled_ =
        flagBox(QStringLiteral("EN I"), [](mcs48::State& s, bool on) { s.interruptEnabled = on; });
    timerInterruptEnabled_ = flagBox(
        QStringLiteral("EN TCNTI"), [](mcs48::State& s, bool on) { s.timerInterruptEnabled = on; });
    timerRequest_ = flagBox(QStringLiteral("Timer-Anforderung"),
                            [](mcs48::State& s, bool on) { s.timerInterruptPending = on; });
    inInterrupt_ = flagBox(QStringLiteral("Interrupt in Bearbeitung (bis RETR)"),
                           [](mcs48::State& s, bool on) { s.inInterrupt = on; });
    cycles_ = new QLabel;
    cycles_->setObjectName(QStringLiteral("cycles"));
    grid->addWidget(new QLabel(QStringLiteral("T")), 0, 0);
    grid->addWidget(timer_, 0, 1);
    grid->addWidget(timerMode_, 0, 2, 1, 2);
    grid->addWidget(timerFlag_, 1, 0, 1, 2);
    grid->addWidget(timerRequest_, 1, 2);
    grid->addWidget(interruptEnabled_, 2, 0, 1, 2);
    grid->addWidget(timerInterruptEnabled_, 2, 2);
    grid->addWidget(inInterrupt_, 3, 0, 1, 3);
    grid->addWidget(cycles_, 4, 0, 1, 4);
    return box;
}

QWidget* SimulatorView::createPorts() {
    auto* box = new QGroupBox(QStringLiteral("Ports (Latch, Eingangspins 7…0)"));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(2);
    for (int port = 0; port < mcs48::portCount; ++port) {
        const auto which = static_cast<mcs48::Port>(port);
        const QString name = portText(which);
        const int digits = port < 3 ? 2 : 1;
        latches_[static_cast<std::size_t>(port)] = hexField(
            name + QStringLiteral("Latch"), digits, [which, digits](mcs48::State& s, int v) {
                s.latch(which) = static_cast<std::uint8_t>(v & (digits == 2 ? 0xFF : 0x0F));
            });
        grid->addWidget(new QLabel(name + QStringLiteral(" ")), port, 0);
        grid->addWidget(latches_[static_cast<std::size_t>(port)], port, 1);
        grid->setColumnMinimumWidth(2, 8);
    }
    const mcs48::Input inputs[] = {mcs48::Input::P1, mcs48::Input::P2, mcs48::Input::Bus};
    for (int port = 0; port < 3; ++port) {
        for (int bit = 7; bit >= 0; --bit) {
            QCheckBox* pin = pinBox(QString(), inputs[port], bit);
            pin->setObjectName(portText(static_cast<mcs48::Port>(port)) + QStringLiteral("Pin") +
                               QString::number(bit));
            pin->setToolTip(QStringLiteral("Eingangspin %1").arg(bit));
            inputPins_[static_cast<std::size_t>(port)][static_cast<std::size_t>(bit)] = pin;
            grid->addWidget(pin, port, 3 + 7 - bit);
        }
    }
    t0_ = pinBox(QStringLiteral("T0"), mcs48::Input::T0, 0);
    t0_->setObjectName(QStringLiteral("t0Pin"));
    t1_ = pinBox(QStringLiteral("T1"), mcs48::Input::T1, 0);
    t1_->setObjectName(QStringLiteral("t1Pin"));
    int_ = pinBox(QStringLiteral("/INT"), mcs48::Input::Int, 0);
    int_->setObjectName(QStringLiteral("intPin"));
    grid->addWidget(t0_, 3, 3, 1, 4);
    grid->addWidget(t1_, 4, 3, 1, 4);
    grid->addWidget(int_, 5, 3, 1, 4);
    return box;
}

QWidget* SimulatorView::createMemory(const QString& title, int rows, QTableWidget*& table) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    table = hexTable(rows, 16, hexColumnNames(16));
    QStringList rowNames;
    for (int row = 0; row < rows; ++row) {
        rowNames << hexText(row * 16, 2);
    }
    table->setVerticalHeaderLabels(rowNames);
    connect(table, &QTableWidget::itemChanged, this, &SimulatorView::memoryEdited);
    layout->addWidget(table);
    return box;
}

QLineEdit* SimulatorView::hexField(const QString& name, int digits,
                                   std::function<void(mcs48::State&, int)> store) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setFont(fixedFont());
    field->setMaxLength(digits);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(u'W') * (digits + 2));
    const int highest = (1 << (4 * digits)) - 1;
    connect(field, &QLineEdit::editingFinished, this, [this, field, highest, store] {
        const int value = parsedHex(field->text(), highest);
        if (value < 0) {
            refresh(); // nothing usable typed: the field shows the value again
            return;
        }
        session_.edit([&store, value](mcs48::State& state) { store(state, value); });
    });
    return field;
}

QCheckBox* SimulatorView::flagBox(const QString& text,
                                  std::function<void(mcs48::State&, bool)> store) {
    auto* box = new QCheckBox(text);
    connect(box, &QCheckBox::toggled, this, [this, store](bool on) {
        if (!refreshing_) {
            session_.edit([&store, on](mcs48::State& state) { store(state, on); });
        }
    });
    return box;
}

// A pin: ticked is a high level. A click sets the user's level of the pin;
// the pin shows what it reads with everything else that drives it.
QCheckBox* SimulatorView::pinBox(const QString& text, mcs48::Input input, int bit) {
    auto* box = new QCheckBox(text);
    connect(box, &QCheckBox::toggled, this, [this, input, bit](bool high) {
        if (refreshing_) {
            return;
        }
        const bool isPort =
            input == mcs48::Input::P1 || input == mcs48::Input::P2 || input == mcs48::Input::Bus;
        if (!isPort) {
            session_.setInput(input, high ? 1 : 0);
            return;
        }
        const int mask = 1 << bit;
        const int levels = session_.userInput(input);
        session_.setInput(input, static_cast<std::uint8_t>(high ? levels | mask : levels & ~mask));
    });
    return box;
}

void SimulatorView::rememberBaseline() {
    baseline_ = session_.state();
}

void SimulatorView::refresh() {
    refreshing_ = true;
    const mcs48::State& state = session_.state();
    showProcessor(state);
    showStack(state);
    showTimer(state);
    showPorts(state);
    showMemory(state);
    const bool editable = !session_.isRunning();
    for (QWidget* part : {static_cast<QWidget*>(pc_), static_cast<QWidget*>(a_),
                          static_cast<QWidget*>(psw_), static_cast<QWidget*>(registers_),
                          static_cast<QWidget*>(ram_), static_cast<QWidget*>(xram_),
                          static_cast<QWidget*>(timer_), static_cast<QWidget*>(chipChoice_)}) {
        part->setEnabled(editable);
    }
    refreshing_ = false;
}

void SimulatorView::showField(QLineEdit* field, int value, int digits, bool changed) {
    const QString text = hexText(value, digits);
    if (field->text() != text && !field->hasFocus()) {
        field->setText(text);
    }
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base,
                     changed ? changedColour : QWidget::palette().color(QPalette::Base));
    field->setPalette(palette);
}

void SimulatorView::showBox(QCheckBox* box, bool value, bool changed) {
    box->setChecked(value);
    box->setStyleSheet(changed ? QStringLiteral("background: #FFE080") : QString());
}

void SimulatorView::showCell(QTableWidgetItem* item, int value, bool changed) {
    const QString text = hexText(value, 2);
    if (item->text() != text) {
        item->setText(text);
    }
    item->setBackground(changed ? QBrush(changedColour) : QBrush());
}

void SimulatorView::showProcessor(const mcs48::State& state) {
    showField(pc_, state.pc, 3, state.pc != baseline_.pc);
    showField(a_, state.a, 2, state.a != baseline_.a);
    showField(psw_, state.psw, 2, state.psw != baseline_.psw);
    showBox(f1_, state.f1, state.f1 != baseline_.f1);
    showBox(mb_, state.mb, state.mb != baseline_.mb);
    const auto disassembly = mcs48::disassemble(session_.programMemory(), state.pc);
    instruction_->setText(QString::fromStdString(disassembly.text));
    flags_->setText(QStringLiteral("CY=%1 AC=%2 F0=%3 BS=%4 SP=%5")
                        .arg(state.psw >> 7 & 1)
                        .arg(state.psw >> 6 & 1)
                        .arg(state.psw >> 5 & 1)
                        .arg(state.psw >> 4 & 1)
                        .arg(state.psw & mcs48::pswStackPointer));
    for (int bank = 0; bank < 2; ++bank) {
        for (int r = 0; r < 8; ++r) {
            const auto address = static_cast<std::size_t>(registerBase(bank) + r);
            showCell(registers_->item(bank, r), state.ram[address],
                     state.ram[address] != baseline_.ram[address]);
        }
        QFont font = registers_->verticalHeaderItem(bank)
                         ? registers_->verticalHeaderItem(bank)->font()
                         : QFont();
        font.setBold(state.registerBase() == registerBase(bank));
        if (auto* header = registers_->verticalHeaderItem(bank)) {
            header->setFont(font);
        }
    }
}

// Each level of the stack: the return address and PSW bits 4–7.
void SimulatorView::showStack(const mcs48::State& state) {
    const int pointer = state.psw & mcs48::pswStackPointer;
    for (int level = 0; level < mcs48::stackLevels; ++level) {
        const auto low = static_cast<std::size_t>(mcs48::stackLevelAddress(level));
        const int address = state.ram[low] | (state.ram[low + 1] & 0x0F) << 8;
        const bool changed =
            state.ram[low] != baseline_.ram[low] || state.ram[low + 1] != baseline_.ram[low + 1];
        QTableWidgetItem* returnItem = stack_->item(level, 0);
        returnItem->setText(hexText(address, 3));
        returnItem->setBackground(changed ? QBrush(changedColour) : QBrush());
        stack_->item(level, 1)->setText(hexText(state.ram[low + 1] >> 4, 1));
        const QString header =
            (level == pointer ? QStringLiteral("SP→") : QString()) + QString::number(level);
        if (!stack_->verticalHeaderItem(level) ||
            stack_->verticalHeaderItem(level)->text() != header) {
            stack_->setVerticalHeaderItem(level, new QTableWidgetItem(header));
        }
    }
}

void SimulatorView::showTimer(const mcs48::State& state) {
    showField(timer_, state.timer, 2, state.timer != baseline_.timer);
    timerMode_->setText(QStringLiteral("%1, Vorteiler %2/32")
                            .arg(timerModeText(state.timerMode))
                            .arg(state.prescaler));
    showBox(timerFlag_, state.timerFlag, state.timerFlag != baseline_.timerFlag);
    showBox(interruptEnabled_, state.interruptEnabled,
            state.interruptEnabled != baseline_.interruptEnabled);
    showBox(timerInterruptEnabled_, state.timerInterruptEnabled,
            state.timerInterruptEnabled != baseline_.timerInterruptEnabled);
    showBox(timerRequest_, state.timerInterruptPending,
            state.timerInterruptPending != baseline_.timerInterruptPending);
    showBox(inInterrupt_, state.inInterrupt, state.inInterrupt != baseline_.inInterrupt);
    cycles_->setText(QStringLiteral("Zyklen: %1    Zeit: %2")
                         .arg(state.cycles)
                         .arg(timeText(session_.elapsedMicroseconds())));
}

void SimulatorView::showPorts(const mcs48::State& state) {
    for (int port = 0; port < mcs48::portCount; ++port) {
        const auto which = static_cast<mcs48::Port>(port);
        showField(latches_[static_cast<std::size_t>(port)], state.latch(which), port < 3 ? 2 : 1,
                  state.latch(which) != baseline_.latch(which));
    }
    for (int port = 0; port < 3; ++port) {
        for (int bit = 0; bit < 8; ++bit) {
            inputPins_[static_cast<std::size_t>(port)][static_cast<std::size_t>(bit)]->setChecked(
                (pinsOf(state, port) >> bit & 1) != 0);
        }
    }
    t0_->setChecked(state.t0);
    t1_->setChecked(state.t1);
    int_->setChecked(state.intPin);
}

void SimulatorView::showMemory(const mcs48::State& state) {
    const int rows = mcs48::ramSizeOf(state.chip) / 16;
    for (int row = 0; row < memoryRows; ++row) {
        ram_->setRowHidden(row, row >= rows);
        for (int column = 0; column < 16; ++column) {
            const auto address = static_cast<std::size_t>(row * 16 + column);
            showCell(ram_->item(row, column), state.ram[address],
                     state.ram[address] != baseline_.ram[address]);
            showCell(xram_->item(row, column), state.xram[address],
                     state.xram[address] != baseline_.xram[address]);
        }
    }
}

void SimulatorView::memoryEdited(QTableWidgetItem* item) {
    if (refreshing_) {
        return;
    }
    const int value = parsedHex(item->text(), 0xFF);
    if (value < 0) {
        refresh();
        return;
    }
    QTableWidget* table = item->tableWidget();
    const auto byte = static_cast<std::uint8_t>(value);
    const auto address =
        static_cast<std::size_t>(table == registers_ ? registerBase(item->row()) + item->column()
                                                     : item->row() * 16 + item->column());
    session_.edit([table, this, address, byte](mcs48::State& state) {
        (table == xram_ ? state.xram : state.ram)[address] = byte;
    });
}

} // namespace tovi
