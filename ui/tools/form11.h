#pragma once
// 导入交割单: the preview of a statement's import. The file and the encoding it was read in (a list
// to read it again in the other when the guess was not sure, or the text looks wrong), every row
// with what becomes of it (导入, 跳过 and why, 重复 and which), a list to show one kind of row, and
// the summary. 导入 imports in one transaction and closes; 取消 and Esc change nothing. Modal, and
// returns at once: the journal window waits behind it.

#include <functional>
#include <vector>

#include <QDialog>
#include <QString>

#include "core/journal.h"
#include "core/statement.h"
#include "core/statement_import.h"
#include "settings/statement_text.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace qcal::ui {

class ImportModel;

class Form11 : public QDialog {
    Q_OBJECT
public:
    // What the preview asks of the journal: the plan of a statement against what it holds, and the
    // import of a plan's entries (after the preview has closed).
    struct Journal {
        std::function<qcal::statement::ImportPlan(const qcal::statement::Statement&)> plan;
        std::function<void(const qcal::statement::ImportPlan&)> import;
    };

    // file: the statement as read from path with options (the user's column mapping, if any).
    Form11(QWidget* parent, const QString& path, qcal::settings::StatementFile file, qcal::statement::ReadOptions options,
           Journal journal);
    ~Form11() override;

    // Shows the dialog over its parent.
    void Open();

    // Combo1 the encoding (UTF-8, GBK), Combo2 the rows shown (全部, 导入, 跳过, 重复).
    QComboBox* Combo(int index) const;
    QLabel* Label(int index) const;
    QPushButton* Command(int index) const;
    QTableView* Grid1() const { return grid1_; }
    ImportModel& Model() const { return *model_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Show(const qcal::settings::StatementFile& file);
    void Combo1_Click();  // the encoding chosen: read the file again
    void Command1_Click();  // 导入

    QString path_;
    qcal::statement::ReadOptions options_;
    Journal journal_;
    ImportModel* model_ = nullptr;
    QTableView* grid1_ = nullptr;
    int shownEncoding_ = 0;  // Combo1's index the rows on screen were read with
    QSize layoutSize_;
};

} // namespace qcal::ui
