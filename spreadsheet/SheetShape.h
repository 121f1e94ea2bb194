#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

// A drawing object on a worksheet: a picture, a text box or any other shape. Geometry in points.
class SheetShape
{
public:
    virtual ~SheetShape() = default;

    virtual QString name() = 0;
    virtual void setName(const QString &name) = 0;
    virtual QRectF geometry() = 0;
    virtual void setGeometry(const QRectF &points) = 0;
    double left() { return geometry().left(); }
    double top() { return geometry().top(); }
    double width() { return geometry().width(); }
    double height() { return geometry().height(); }
    void setLeft(double v)
    {
        auto g = geometry();
        g.moveLeft(v);
        setGeometry(g);
    }
    void setTop(double v)
    {
        auto g = geometry();
        g.moveTop(v);
        setGeometry(g);
    }
    void setWidth(double v)
    {
        auto g = geometry();
        g.setWidth(v);
        setGeometry(g);
    }
    void setHeight(double v)
    {
        auto g = geometry();
        g.setHeight(v);
        setGeometry(g);
    }
    virtual void remove() = 0; // deletes it from the sheet

    // Pictures: the pixels of the picture; raises for a shape without one.
    virtual QImage picture() = 0;
    // Puts picture() on the clipboard (needs a QGuiApplication).
    virtual void copyPicture() = 0;

    // Text boxes: positions are 1-based and count UTF-16 units.
    virtual QString text() = 0;
    virtual int characterCount() = 0;
    virtual void insertText(int start, const QString &text) = 0; // start = count + 1 appends
};
