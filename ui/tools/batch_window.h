#pragma once
// What the multi-batch buy window (Form4) and the multi-batch sell window (Form3) share: three
// batch frames of a price and a quantity each, OK and Clear, the Enter and arrow keys, and the
// posting into the main window. The two windows differ only in their texts, their field checks
// and the side of the main window they post into (a BatchSide).
//
// Each field's accepted value (what the computations read) is kept on the field itself, in its
// dynamic property "Tag" (a QString): empty after load and clear, otherwise what the last capture
// accepted, or the batch's transfer fee after a post on "上海A股".

#include <array>

#include <QWidget>

#include "core/batch.h"

class QLineEdit;
class QPushButton;

namespace qcal::ui {

class Form1;

struct BatchSide {
    const char* objectName;
    const char* caption;
    std::array<const char*, 3> frameCaptions;
    const char* priceCaption;
    const char* quantityCaption;
    void (*checkPrice)(QLineEdit*);
    void (*checkQuantity)(QLineEdit*);
    qcal::BatchResult (*post)(qcal::BatchFields&, qcal::MainWindowState&);
    void (*mark)(qcal::MainWindowState&);
    void (*unlock)(qcal::MainWindowState&);
};

class BatchWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTagProperty = "Tag";

    QLineEdit* Text(int index) const;  // Text1 … Text6
    QPushButton* Command1() const;     // 确 定
    QPushButton* Command2() const;     // 清 空

    // The field's accepted value.
    QString Tag(int index) const;

    void StoreBatchInputs();
    // Posts the accepted batches again, as the last post did; false (after the message) when refused.
    bool Repost() { return PostBatches(false); }
    // Empties the six fields and their accepted values; the main window is not touched.
    void ClearFields();

    void Command1_Click();
    void Command2_Click();
    void EnterField(int index);
    void MoveFocus(int index, bool down);

protected:
    BatchWindow(Form1& main, const BatchSide& side);

    // The averaging of this window into the main window, and the marking after it; false (after
    // the message) when the figures are beyond what can be computed, the main window unchanged.
    bool PostBatches(bool markOnlyWithQuantity);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void EnterPrice(int index);
    void EnterQuantity(int index);
    void FocusAndSelect(QWidget* target);
    void HandBack();
    qcal::BatchFields Fields() const;
    void SetTags(const qcal::BatchFields& fields);
    void ReportFailure(qcal::CalcFailure failure);

    Form1& main_;
    const BatchSide& side_;
    std::array<QLineEdit*, 7> text_{};
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
};

} // namespace qcal::ui
