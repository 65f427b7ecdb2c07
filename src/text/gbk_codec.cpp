#include "text/gbk_codec.h"
