// albatrix: the album downloader's window.
#include "gui/AlbatrixApp.h"

int main(int argc, char** argv) { return albatrix::RunAlbatrix(argc, argv); }
