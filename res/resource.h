// Resource identifiers shared by orvalin.rc and the program.
#pragma once

// Icons.
#define IDI_APP 1       // application icon (window, taskbar, Explorer)
#define IDI_RECORD 101  // record button
#define IDI_PLAY 102    // play button
#define IDI_STOP 103    // stop button
#define IDI_HOTKEY 104  // change-hotkey button

// The application manifest is embedded as RT_MANIFEST resource 1
// (CREATEPROCESS_MANIFEST_RESOURCE_ID), which Windows reads when the process starts.
#ifndef CREATEPROCESS_MANIFEST_RESOURCE_ID
#define CREATEPROCESS_MANIFEST_RESOURCE_ID 1
#endif
#ifndef RT_MANIFEST
#define RT_MANIFEST 24
#endif
