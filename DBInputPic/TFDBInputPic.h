#pragma once

#include <QWidget>

// The picture input window "输入图形": loads picture files into a picture field of a table,
// record after record. Non-modal; frees itself when closed.
class TFDBInputPic : public QWidget
{
    Q_OBJECT
public:
    explicit TFDBInputPic(QWidget *parent = nullptr);
    ~TFDBInputPic() override;

    void FormClose();

protected:
    void closeEvent(QCloseEvent *event) override;
};
