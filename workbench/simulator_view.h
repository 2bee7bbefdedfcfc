#pragma once
// The "Simulator" child window: the processor's state as the session holds
// it, with the values the last step changed highlighted, registers and RAM
// editable in place, and the input pins switchable bit by bit.

#include <QWidget>

#include <array>

#include "mcs48/state.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTableWidgetItem;

namespace tovi {

class SimulatorSession;

class SimulatorView : public QWidget {
    Q_OBJECT

public:
    SimulatorView(SimulatorSession& session, QWidget* parent = nullptr);

    // The state before the step or run that follows: what it changes is highlighted.
    void rememberBaseline();

public slots:
    void refresh();

private:
    QWidget* createChoices();
    QWidget* createProcessor();
    QWidget* createStack();
    QWidget* createTimer();
    QWidget* createPorts();
    QWidget* createMemory(const QString& title, int rows, QTableWidget*& table);
    QLineEdit* hexField(const QString& name, int digits,
                        std::function<void(mcs48::State&, int)> store);
    QCheckBox* flagBox(const QString& text, std::function<void(mcs48::State&, bool)> store);
    QCheckBox* pinBox(const QString& text, mcs48::Input input, int bit);

    void showField(QLineEdit* field, int value, int digits, bool changed);
    void showBox(QCheckBox* box, bool value, bool changed);
    void showCell(QTableWidgetItem* item, int value, bool changed);
    void showProcessor(const mcs48::State& state);
    void showStack(const mcs48::State& state);
    void showTimer(const mcs48::State& state);
    void showPorts(const mcs48::State& state);
    void showMemory(const mcs48::State& state);
    void memoryEdited(QTableWidgetItem* item);

    SimulatorSession& session_;
    mcs48::State baseline_;
    bool refreshing_ = false;

    QComboBox* chipChoice_ = nullptr;
    QDoubleSpinBox* clockChoice_ = nullptr;
    QLabel* instruction_ = nullptr;
    QLineEdit* pc_ = nullptr;
    QLineEdit* a_ = nullptr;
    QLineEdit* psw_ = nullptr;
    QLabel* flags_ = nullptr;
    QCheckBox* f1_ = nullptr;
    QCheckBox* mb_ = nullptr;
    QTableWidget* registers_ = nullptr;
    QTableWidget* stack_ = nullptr;
    QLineEdit* timer_ = nullptr;
    QLabel* timerMode_ = nullptr;
    QCheckBox* timerFlag_ = nullptr;
    QCheckBox* interruptEnabled_ = nullptr;
    QCheckBox* timerInterruptEnabled_ = nullptr;
    QCheckBox* timerRequest_ = nullptr;
    QCheckBox* inInterrupt_ = nullptr;
    QLabel* cycles_ = nullptr;
    std::array<QLineEdit*, mcs48::portCount> latches_{};
    std::array<std::array<QCheckBox*, 8>, 3> inputPins_{}; // P1, P2, BUS; bit 0 first
    QCheckBox* t0_ = nullptr;
    QCheckBox* t1_ = nullptr;
    QCheckBox* int_ = nullptr;
    QTableWidget* ram_ = nullptr;
    QTableWidget* xram_ = nullptr;
};

} // namespace tovi
