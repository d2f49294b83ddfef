// Registers with the main window every page that this build contains.
#pragma once

void RegisterPages();
