"""The product's facts as src/core/product.h defines them, for the scripts that draw the
artwork and the tests that click on it: each plain #define as an int or a tuple of ints."""
import os
import re

HEADER = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "src", "core", "product.h")


def read(path=HEADER):
    facts = {}
    with open(path, encoding="ascii") as header:
        for line in header:
            match = re.match(r"#define\s+([A-Z][A-Z0-9_]*)\s+([0-9][0-9, ]*?)\s*(/\*.*)?$", line)
            if not match:
                continue
            numbers = tuple(int(n) for n in match.group(2).split(","))
            facts[match.group(1)] = numbers[0] if len(numbers) == 1 else numbers
    return facts


FACTS = read()
