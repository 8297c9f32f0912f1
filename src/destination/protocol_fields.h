// What the two destination plans share about field contents: the two
// coordinate notations and their conversion into packet units (1/2560
// arc-second, 9,216,000 units per degree), and the two route-preference
// vocabularies.
//
// Numbers are read by ReadDecimalNumber (decimal_number.h), the same on
// every build and whatever locale the navigation program has set, so a
// decimal comma in the caller's locale never changes a coordinate. A
// conversion result of 0 means "no coordinate": text without a number, a
// value that rounds to 0, and a value that is not finite or does not fit a
// signed 32-bit integer all give 0, and every parser rejects it. Nothing
// here allocates; all functions are reentrant.

#ifndef VEXA_SRC_DESTINATION_PROTOCOL_FIELDS_H_
#define VEXA_SRC_DESTINATION_PROTOCOL_FIELDS_H_

#include <cstdint>

namespace vexa::destination {

// Decimal degrees ("116.397128", "-74.0060") to units: the number is read
// like atof, scaled by 3600 and then by 2560, and rounded by adding 0.5 and
// truncating toward zero (so -74.0060 gives -682,039,295).
std::int32_t DecimalDegreesToUnits(const char* field);

// Degrees and minutes ("3954.5000": 39 degrees 54.5 minutes) to units.
// `width` is the number of degree digits: 2 for a latitude, 3 for a
// longitude. The degrees are scanned like sscanf("%2d"/"%3d"); the minutes
// are read like atof from character position `width`, whatever the scan
// consumed. A field shorter than `width` has 0 minutes.
// REQUIRES: width is 2 or 3.
std::int32_t DegreesMinutesToUnits(const char* field, int width);

// The route mode of a whole route-preference word in GBK ("推荐" 0, "最快" 1,
// "最短" 2, "经济" 3), compared byte by byte; -1 for anything else.
int RouteModeFromWord(const char* field);

// The route mode of a guide message's preference digit: '0' 0, '1' 1,
// '2' 3, '3' 1, '4' 2 (the digits do not follow the mode numbers); -1 for
// any other character.
int RouteModeFromDigit(char digit);

// The decimal integer at the start of `text`, read like atoi (leading white
// space, optional sign, digits; none gives 0), but saturated to the int
// range instead of overflowing.
int ReadIntSaturated(const char* text);

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_PROTOCOL_FIELDS_H_
