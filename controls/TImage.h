#pragma once

#include <QImage>
#include <QLabel>

// A picture holder with a free integer Tag: the hidden glyph pictures of the tool bar carry
// flags in their Tag, and the scratch pictures hold a picture between conversion steps.
class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr);

    int Tag = 0;

    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture);
    void clearPicture() { setPicture({}); }

private:
    QImage m_picture;
};
