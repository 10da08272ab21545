// The interface's edit mode: the board is cleared and pieces are placed one line at a time.
#pragma once

void editMode();
