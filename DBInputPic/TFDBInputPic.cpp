#include "TFDBInputPic.h"

#include "SharedState.h"
#include "TForm1.h"

#include <QAction>
#include <QCloseEvent>

TFDBInputPic::TFDBInputPic(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("输入图形"));
    setGeometry(103, 132, 920, 480);
}

TFDBInputPic::~TFDBInputPic() = default;

void TFDBInputPic::FormClose()
{
    if (FDBInputPic == this)
        FDBInputPic.clear();
    if (Form1)
        Form1->InputPicture1->setChecked(false);
}

void TFDBInputPic::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}
