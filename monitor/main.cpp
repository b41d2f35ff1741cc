// Tarvolin Monitor: watch an instrument's pulses live, set up its board and record its runs.
#include "QuillonApp.h"

int main(int argc, char** argv) { return CQuillonApp::Run(argc, argv); }
