#!/bin/sh
# with-qemu-i386.sh QEMU_I386 COMMAND [ARGS...]
# Runs COMMAND so that every i386 ELF program it starts, Wine's 32-bit loader
# above all, is run by QEMU_I386: for kernels built without IA-32 emulation,
# which refuse to execute 32-bit code ("Exec format error").
#
# The binfmt_misc entry lives in a private user and mount namespace (Linux 6.7
# and later), so it dies with COMMAND: nothing is left registered on the
# machine that could send a later 32-bit program to qemu. Flag F has the
# kernel open the interpreter once, at registration.
set -eu
qemu=$1
shift
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
QUILLMERE_BINFMT=":quillmere-i386:M::$magic:$mask:$qemu:F"
export QUILLMERE_BINFMT
exec unshare --user --map-root-user --mount --propagation private sh -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
        printf "%s\n" "$QUILLMERE_BINFMT" >/proc/sys/fs/binfmt_misc/register || {
        echo "with-qemu-i386.sh: no private binfmt_misc here (it needs Linux 6.7 or later)" >&2
        exit 125
    }
    unset QUILLMERE_BINFMT
    exec "$@"' with-qemu-i386.sh "$@"
