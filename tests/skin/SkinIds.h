// The sample skin module's kinds, pictures and hot areas (tests/skin), shared with the programs that load it.
#pragma once

// Kinds (SKIN_KIND) the module answers for.
#define SAMPLE_KIND_DIALOG 1      // the test card with three hot areas
#define SAMPLE_KIND_WIZARD 2      // the wizard: its frame, buttons and image button
#define SAMPLE_KIND_NO_PICTURE 3  // names a picture the module does not have
#define SAMPLE_KIND_EMPTY 4       // a picture of 0 x 0
#define SAMPLE_KIND_UNENDED 5     // an area table without its end marker

// Pictures (RCDATA).
#define IDP_DIALOG 101
#define IDP_WIZARD 102
#define IDP_EMPTY 103
#define IDP_MISSING 199
#define IDP_AREA_NORMAL 111
#define IDP_AREA_HOVER 112
#define IDP_AREA_PRESSED 113
#define IDP_AREA_DISABLED 114
// Wizard buttons: IDP_BUTTONS + 4 * button + state (normal, hover, pressed, disabled);
// buttons back, next, cancel, help, ok.
#define IDP_BUTTONS 120
#define IDI_BUTTON_NORMAL 141
#define IDI_BUTTON_HOVER 142

// The test card's hot areas, 40 x 24 each, in picture coordinates.
#define IDA_FIRST 3001   // at (48, 44)
#define IDA_SECOND 3002  // at (112, 44)
#define IDA_THIRD 3003   // at (48, 76)

// The wizard's buttons: its template's control ids, which its skin areas share.
#define IDW_BACK 0x3023
#define IDW_NEXT 0x3024
#define IDW_IMAGE_BUTTON 0x3030
