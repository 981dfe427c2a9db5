#pragma once
// The process-wide list of value reflectors, one of each class, in the order
// that decides which reflector edits a format: check box, enumeration, the
// two date-times and the duration, the integer kinds from char to int64,
// float, double, and the default reflector, which accepts every format.
// Built on first use; destroyed at program exit (or by Clear).
//
// EditFormatOf gives the format a cell is edited in: the column's own, else
// the object's format for the column's field, else the default format of
// the field's kind (null when the object has no such field).
//
// Thread: the GUI thread (the list is built and used there).

#include <cstdint>

namespace Brivel::Common {
class CDataObject;
class CFormat;
} // namespace Brivel::Common

namespace Brivel::GUI {

class CColumn;
class IControlReflector;

// The process-wide list of reflectors (see the top of this file).
class CReflectorList {
public:
    // The first reflector accepting `format`; null for a null format.
    static IControlReflector* Find(const Common::CFormat* format);
    // Destroys every reflector; the next Find builds the list again.
    static void Clear();
};

// The format a cell is edited in (see the top of this file).
const Common::CFormat* EditFormatOf(const Common::CDataObject& object, const CColumn& column);

} // namespace Brivel::GUI
