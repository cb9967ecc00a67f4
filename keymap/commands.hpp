// The kbdtool commands. Each returns non-zero for success, 0 for failure.
#pragma once

#include "database.hpp"

int list_contents(const char* database, int verbose);
int analyze_file(const char* database);
int add_to_name_table(const char* database, const char* source);

// 1 when the record breaks a key device limit (each problem printed).
int check_kd_stats(const KeyDeviceNameEntry& record);
