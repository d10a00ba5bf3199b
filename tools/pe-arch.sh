#!/usr/bin/env bash
# Prints x86_64 for a 64-bit PE file, i686 otherwise (also for names that are
# not files, such as Wine's built-in "cmd").
f=$1
if [ -f "$f" ]; then
    off=$(od -An -tu4 -j 60 -N4 "$f" | tr -d ' ')
    machine=$(od -An -tx2 -j $((off + 4)) -N2 "$f" | tr -d ' ')
    if [ "$machine" = 8664 ]; then echo x86_64; exit 0; fi
fi
echo i686
