#pragma once

// The program from start to end: one copy per machine, settings, database,
// sign-in, then the plate board until it is closed. Returns the exit code.
int runSalonDesk(int argc, char **argv);
