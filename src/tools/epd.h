// `vostrel epd FILE [--depth N | --time SECONDS]`: a test suite of positions with their best moves
// (EPD with "bm" and "id"), each searched by the think driver; counts the positions solved.
#pragma once

int runEpdCommand(int argc, char** argv);
