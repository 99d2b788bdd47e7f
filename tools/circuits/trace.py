#!/usr/bin/env python3
"""Draws a circuit source by driving round it: a start cell and heading, then
moves. Prints the source (the [base], [middle] and [top] sections) for
velotrax-tool make-circuit; add scenery and labels by hand afterwards.

  trace.py COLS ROWS X Y HEADING "MOVES"

HEADING: E, S, W or N (the way the start tile leaves). MOVES, separated by
blanks: F<n> n cells straight on; L / R one bend cell turning 45 degrees left /
right; [H / [S open a hairpin / sharp corner at the next cell; ] close it at
the next cell; KL / KR a side-turn tile ahead and a quarter turn left / right
into the cell beside. The moves must bring the path back onto the start tile.
A straight run across a straight of the other axis makes that cell the
crossing "++" of a figure-eight.
"""
import sys

STEP = [(0, -1), (1, -1), (1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1)]
SIDE = {0: "N", 2: "E", 4: "S", 6: "W"}
# The two ends of a cell entered heading din and left heading dout: the
# entry end is opposite the way in.
def ends_code(din, dout):
    back = (din + 4) % 8
    names = []
    for d in (back, dout):
        names.append(SIDE[d] if d % 2 == 0 else str(d))
    return names

def tile_code(din, dout):
    a, b = ends_code(din, dout)
    if din == dout:
        return {0: "NS", 4: "NS", 2: "WE", 6: "WE", 1: "15", 5: "15", 3: "37", 7: "37"}[din]
    # bends are named side first, then corner
    return (a + b) if not a.isdigit() else (b + a)

START = {2: ">>", 6: "<<", 0: "^^", 4: "vv"}
CAP = {2: "@E", 4: "@S", 6: "@W", 0: "@N"}

def main():
    cols, rows, sx, sy = map(int, sys.argv[1:5])
    d0 = {"N": 0, "E": 2, "S": 4, "W": 6}[sys.argv[5]]
    moves = sys.argv[6].split()
    base = [[".." for _ in range(cols)] for _ in range(rows)]
    mid = [[".." for _ in range(cols)] for _ in range(rows)]
    top = [[".." for _ in range(cols)] for _ in range(rows)]

    def put(x, y, code):
        if not (0 <= x < cols and 0 <= y < rows):
            sys.exit(f"off the grid at {x}, {y}")
        if {base[y][x], code} == {"WE", "NS"}:
            base[y][x] = "++"  # a figure-eight crosses itself here
            return
        if base[y][x] != "..":
            sys.exit(f"cell {x}, {y} used twice")
        base[y][x] = code

    put(sx, sy, START[d0])
    x, y, d = sx, sy, d0
    pending = None
    opened = "HP"
    nodes = 0

    def node(nx, ny, code, bend=False):
        nonlocal pending, nodes
        put(nx, ny, code)
        nodes += 1
        if bend:
            mid[ny][nx] = "oo"
        if pending:
            top[ny][nx] = pending
            pending = None

    for m in moves:
        if m.startswith("F"):
            for _ in range(int(m[1:])):
                x, y = x + STEP[d][0], y + STEP[d][1]
                node(x, y, tile_code(d, d))
        elif m in ("L", "R"):
            dout = (d + (7 if m == "L" else 1)) % 8
            x, y = x + STEP[d][0], y + STEP[d][1]
            node(x, y, tile_code(d, dout), bend=True)
            d = dout
        elif m in ("[H", "[S"):
            pending = opened = "HP" if m == "[H" else "SH"
        elif m == "]":
            pending = opened  # the same marker closes what it opened
        elif m in ("KL", "KR"):
            if d % 2:
                sys.exit("a side turn needs an orthogonal heading")
            cx, cy = x + STEP[d][0], y + STEP[d][1]
            put(cx, cy, CAP[d])
            turn = 6 if m == "KL" else 2
            nd = (d + turn) % 8
            corner = (d + (1 if m == "KL" else 7)) % 8
            ax, ay = x + STEP[nd][0], y + STEP[nd][1]
            node(ax, ay, SIDE[nd] + str(corner))
            x, y, d = ax, ay, nd
        else:
            sys.exit(f"unknown move {m}")
    if (x + STEP[d][0], y + STEP[d][1]) != (sx, sy) or d != d0:
        sys.exit(f"path ends at {x}, {y} heading {d}, not onto the start tile heading {d0}")
    if pending:
        top[sy][sx] = pending
    for name, layer in (("base", base), ("middle", mid), ("top", top)):
        print(f"[{name}]")
        for row in layer:
            print(" ".join(row))
    print(f"; {nodes + 1} nodes", file=sys.stderr)

main()
