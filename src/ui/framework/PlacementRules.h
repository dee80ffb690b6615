#pragma once
// Where the framework puts a modal dialog whose template leaves the place to it: centred
// over its owner, or in a work area, and kept inside that work area.

#include <cstddef>
#include <cstdint>

// A rectangle in screen pixels, right and bottom excluded, as Windows gives them.
struct CBox {
    long left;
    long top;
    long right;
    long bottom;
};

// Whether the dialog template (DLGTEMPLATE or DLGTEMPLATEEX) sits at 0,0 without
// DS_ABSALIGN, DS_CENTER or DS_CENTERMOUSE; false for bytes too short to be a template.
bool IsPlacedByFramework(const uint8_t* pTemplate, size_t cbTemplate);

// The dialog's box moved so that its centre lies on the centre of over, then pushed inside
// the work area; one larger than the work area keeps its top-left corner in it.
CBox CentredBox(const CBox& dialog, const CBox& over, const CBox& workArea);
