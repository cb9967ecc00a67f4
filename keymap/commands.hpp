// The kbdtool commands. Each returns non-zero for success, 0 for failure.
#pragma once

int list_contents(const char* database, int verbose);
