// A picture of decoded points for people: one SVG 1.1 document with a panel
// per input that parsed, stacked from top to bottom. Each panel fits a plain
// equirectangular projection to its own points (longitude scaled by the
// cosine of their mean latitude, so distances look right near it), numbers
// the points in packet order, writes each name (or, for an unnamed point,
// its role) beside it, on the side with room (narrowed to fit, never cut),
// with its route preference under it, lists points whose marks would
// cover each other beside one mark with their count, joins consecutive
// points (a guide message as its
// route, from the via points to the destination), lists the great-circle
// distance of each leg under the map and draws a scale bar in kilometres. The document
// holds no script and no reference outside itself; every number has a
// fixed format, so the same points give the same bytes on every system.

#ifndef VEXA_TOOLS_VEXA_FORMATS_SVG_PICTURE_H_
#define VEXA_TOOLS_VEXA_FORMATS_SVG_PICTURE_H_

#include <string>
#include <vector>

#include "destination/outcome.h"

namespace vexa::tool {

// The picture of the successful outcomes. Failed outcomes
// are left out (their failure lines go to standard error with the other
// formats); with none that parsed, the document says there is nothing to
// draw.
std::string SvgText(const std::vector<Outcome>& outcomes);

// The great-circle distance in kilometres between two points given in
// degrees (haversine on a sphere of the Earth's mean radius).
double GreatCircleKm(double latitude1, double longitude1, double latitude2,
                     double longitude2);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_SVG_PICTURE_H_
