# Saving an entry: short enough that the smoke run takes both benchmarks.
tankora_add_bench(save_bench ${CMAKE_CURRENT_LIST_DIR}/save_bench.cpp LIBS tankora_entry)
