#!/usr/bin/env python3
"""Writes a C-like source file of about SIZE bytes (default 1 GiB) to PATH.

The text repeats a block of varied functions (comments, strings, numbers, keywords,
an "#if 0" region), numbering each function so that no two blocks are identical.
Usage: gen_cfile.py PATH [SIZE_MB]
"""
import sys

def block(n):
    return f"""/* function {n}: computes a running checksum over the buffer for the caller */
static int checksum_{n}(const unsigned char *buffer, int length, int seed)
{{
    int sum = seed + {n % 977}; /* every function starts from its own seed */
    for (int index = 0; index < length; index++) {{
        if (buffer[index] == '\\n')
            sum += 0x{n % 4096:x}; /* line ends are counted specially */
        else
            sum = (sum << 1) ^ buffer[index] ^ (sum >> 7);
    }}
#if 0
    printf("debug: checksum %d computed by function %d\\n", sum, {n});
#endif
    return sum; // done with function number {n}
}}

"""

def main():
    path = sys.argv[1]
    size = int(sys.argv[2]) * 1024 * 1024 if len(sys.argv) > 2 else 1 << 30
    written = 0
    n = 0
    with open(path, "w") as out:
        while written < size:
            chunk = "".join(block(n + k) for k in range(2000))
            n += 2000
            if written + len(chunk) > size:
                chunk = chunk[: size - written]
                cut = chunk.rfind("\n")
                chunk = chunk[: cut + 1] if cut >= 0 else chunk
                if not chunk:
                    break
            out.write(chunk)
            written += len(chunk)
    print(f"{path}: {written} bytes")

main()
