#pragma once

#include "spreadsheet/SheetShape.h"
#include "spreadsheet/SpreadsheetError.h"

namespace ShapeLookup {

// A look-up by name that finds nothing raises the same error as a failed call: it gives no
// shape. Only an application out of reach ends the exchange.
template<class F>
SheetShapePtr findOrNothing(F &&find)
{
    try {
        return find();
    } catch (const SpreadsheetError &e) {
        if (e.applicationLost())
            throw;
        return nullptr;
    }
}

} // namespace ShapeLookup
