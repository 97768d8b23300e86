#include "main/tidewell_app.h"

int main(int argc, char** argv) {
    return tidewell::TidewellApp::main(argc, argv);
}
