// Resource identifiers shared by orvalin.rc and the program.
#pragma once

// Icons.
#define IDI_APP 1       // application icon (window, taskbar, Explorer)
#define IDI_RECORD 101  // record button
#define IDI_PLAY 102    // play button
#define IDI_STOP 103    // stop button
#define IDI_HOTKEY 104  // change-hotkey button

// About box pictures: PNG (RCDATA) rendered from res/pictures/*.svg at 100, 125, 150, 175 and
// 200 %; the id of a scale is the base + its index in that list.
#define IDR_LOGO 300   // the maker's wordmark, 344 x 105 at 100 %
#define IDR_CAT 310    // the hidden picture, 320 x 214 at 100 %
#define IDR_ARROW 320  // the drop-down mark of "Info", 12 x 12 at 100 %
#define IDR_LOGO_100 300
#define IDR_LOGO_125 301
#define IDR_LOGO_150 302
#define IDR_LOGO_175 303
#define IDR_LOGO_200 304
#define IDR_CAT_100 310
#define IDR_CAT_125 311
#define IDR_CAT_150 312
#define IDR_CAT_175 313
#define IDR_CAT_200 314
#define IDR_ARROW_100 320
#define IDR_ARROW_125 321
#define IDR_ARROW_150 322
#define IDR_ARROW_175 323
#define IDR_ARROW_200 324

// The application manifest is embedded as RT_MANIFEST resource 1
// (CREATEPROCESS_MANIFEST_RESOURCE_ID), which Windows reads when the process starts.
#ifndef CREATEPROCESS_MANIFEST_RESOURCE_ID
#define CREATEPROCESS_MANIFEST_RESOURCE_ID 1
#endif
#ifndef RT_MANIFEST
#define RT_MANIFEST 24
#endif
