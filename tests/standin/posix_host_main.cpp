#include "standin_main.hpp"

int main(int argc, char** argv) { return vexilo::standin::RunStandin(argc, argv); }
