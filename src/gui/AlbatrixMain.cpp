// albatrix: the album downloader's window.
#include "gui/CAlbatrixApp.h"

int main(int argc, char** argv) { return albatrix::RunAlbatrix(argc, argv); }
