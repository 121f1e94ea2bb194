// Picture fields of the data window: the viewer on a left click, loading a file on a right click,
// and emptying the grid's selected field.
#include "datawindow/TForm1.h"

#include "USeePicture/TSeePicture.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/TImage.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/EngineError.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"
#include "picture/PictureFile.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QPainter>

QString TForm1::pictureFilter()
{
    return QStringLiteral("All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|"
                          "JPEG Image File (*.jpg)|*.jpg|"
                          "JPEG Image File (*.jpeg)|*.jpeg|"
                          "Bitmaps (*.bmp)|*.bmp");
}

void TForm1::DBImageMouseUp(DBImage *image, Qt::MouseButton button, Qt::KeyboardModifiers, QPoint)
{
    if (FileThreadBusy || FieldThreadBusy)
        return;
    if (button == Qt::LeftButton)
        TSeePicture::clickOnPicture(image->picture());
    else if (button == Qt::RightButton) {
        loadPictureFile(image);
    }
}

void TForm1::loadPictureFile(DBImage *image)
{
    const QString fileName = Prompts::openPicture(this, pictureFilter());
    if (fileName.isEmpty())
        return;
    // Read the file before the record is touched: a file that cannot be read leaves the record
    // as it was, not in edit mode with a half-changed picture. The file's bytes go along: the
    // alias's picture form decides whether they or the bitmap are stored.
    const QByteArray bytes = PictureFile::read(fileName);
    QImage picture;
    if (QFileInfo(fileName).suffix().compare(u"bmp", Qt::CaseInsensitive) == 0) {
        picture = PictureFile::decodeNamed(bytes, fileName);
    } else {
        GTempImg1->setPicture(PictureFile::decodeNamed(bytes, fileName));
        QImage bitmap(GTempImg1->picture().size(), QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        QPainter(&bitmap).drawImage(0, 0, GTempImg1->picture());
        GTempImg2->setPicture(bitmap);
        picture = GTempImg2->picture();
        GTempImg1->clearPicture();
        GTempImg2->clearPicture();
    }
    TTable *table = image->dataSource() ? image->dataSource()->dataSet() : nullptr;
    if (!table)
        throw EngineError(QCoreApplication::translate("TForm1Pictures", "The picture has no table to be stored in."));
    table->edit();
    image->setPicture(picture, PictureSource::file(bytes, picture));
    try {
        table->post();
    } catch (...) {
        table->cancel();
        throw;
    }
    if (image->Tag == 99 && OnInputWindowPictureLoaded)
        OnInputWindowPictureLoaded();
}

void TForm1::ToolButton26Click()
{
    Table1->edit();
    TField *field = DBGrid1->selectedField();
    if (!field) {
        Table1->cancel();
        throw EngineError(QCoreApplication::translate("TForm1Pictures", "No field is selected in the grid."));
    }
    field->clear();
    Table1->post();
}
