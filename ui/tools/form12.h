#pragma once
// 列对应: which column of a statement holds each field, for a statement whose header does not name
// a needed column in a way the reader knows. A list per field of the header's columns: the needed
// fields must each have one; the others may be left to be found by their names (（无）). 确定 hands
// the mapping on (the journal window remembers it and reads the file again); 取消 and Esc drop the
// import. Modal, and returns at once: the journal window waits behind it.

#include <array>
#include <functional>

#include <QDialog>

#include "core/statement.h"

class QComboBox;

namespace qcal::ui {

class Form12 : public QDialog {
    Q_OBJECT
public:
    using Accepted = std::function<void(const qcal::statement::ColumnMap&)>;

    // The fields of Combo1, Combo2, …: first the needed ones, then those that may be left out.
    static constexpr std::array<qcal::statement::Field, 13> kFields = {
        qcal::statement::Field::Date,        qcal::statement::Field::Code,       qcal::statement::Field::Kind,
        qcal::statement::Field::Quantity,    qcal::statement::Field::Price,      qcal::statement::Field::Amount,
        qcal::statement::Field::Time,        qcal::statement::Field::Name,       qcal::statement::Field::Commission,
        qcal::statement::Field::StampDuty,   qcal::statement::Field::TransferFee, qcal::statement::Field::OtherFee,
        qcal::statement::Field::Number};

    // problem: what the reading found (the statement's message); statement: its columns and the
    // fields found by name, which the lists start from.
    Form12(QWidget* parent, const QString& problem, const qcal::statement::Statement& statement, Accepted accepted);

    // Shows the dialog over its parent.
    void Open();

    QComboBox* Combo(int index) const;
    // The list of a field (nullptr for a field the dialog does not offer).
    QComboBox* ComboOf(qcal::statement::Field field) const;

private:
    void Command1_Click();  // 确定

    Accepted accepted_;
};

} // namespace qcal::ui
