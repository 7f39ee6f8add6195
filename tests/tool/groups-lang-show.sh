# show in Chinese under LANG=zh_CN.UTF-8 and unchanged English under LANG=C.
