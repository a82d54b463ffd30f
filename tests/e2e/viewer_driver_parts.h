// What the end-to-end driver's own files share; the tests use
// viewer_driver.h.
#pragma once

#include "viewer_driver.h"

#include "support/surface_win.h"

#include <string>
#include <vector>

// How often the driver looks again while it waits for the viewer.
constexpr DWORD DRIVER_POLL_MS = 10;

// The lines of a text file, without their line ends.
std::vector<std::string> text_lines(const std::string &text);
// Whether a recording plug-in's line is the driver's marker key.
bool is_marker(const std::string &line);

Picture picture_from(const DibSurface &surface);
// The pixels of a window's rectangle of that size from `origin` on.
Picture picture_of(HWND window, int width, int height, POINT origin = {0, 0});
