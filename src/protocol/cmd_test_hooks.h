// Settings only tests change. The program keeps the defaults.
#pragma once

// Length of the pause after every exchange; 1000 ms unless a test shortens it.
void cmd_test_set_exchange_pause_ms(unsigned ms);
unsigned cmd_test_get_exchange_pause_ms();
