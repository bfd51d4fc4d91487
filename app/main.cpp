// The program's entry: the one application object runs the main window.
#include "QuilloryApp.h"

int main(int argc, char** argv) {
  CQuilloryApp app;
  return app.Run(argc, argv);
}
