tankora_add_bench(value_text_bench ${CMAKE_CURRENT_LIST_DIR}/value_text_bench.cpp LIBS tankora_text)
