#pragma once

#include "spreadsheet/CalcConnection.h"
#include "spreadsheet/CalcShapeIndex.h"
#include "spreadsheet/SheetShape.h"

#include <memory>

class CalcWorkbook;

// A drawing object of a Calc sheet: a graphic object for pictures, a text shape (or, after a round
// trip through .xls, a custom shape) for text boxes.
class CalcShape final : public SheetShape, public CalcLinkBound
{
public:
    CalcShape(std::shared_ptr<CalcWorkbook> book, std::shared_ptr<CalcShapeIndex> index,
        const CalcShapeIndex::Entry &entry);

    QString name() override;
    void setName(const QString &name) override;
    QRectF geometry() override;
    void setGeometry(const QRectF &points) override;
    void remove() override;
    QImage picture() override;
    void copyPicture() override;
    QString text() override;
    int characterCount() override;
    void insertText(int start, const QString &text) override;
    void releaseLink() override
    {
        m_entry.shape.clear();
        m_index.reset();
    }

private:
    std::shared_ptr<CalcWorkbook> m_book;
    std::shared_ptr<CalcShapeIndex> m_index;
    CalcShapeIndex::Entry m_entry;
};
