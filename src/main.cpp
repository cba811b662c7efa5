#include "window/Application.h"

int main(int argc, char** argv) { return vistarel::RunApplication(argc, argv); }
