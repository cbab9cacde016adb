#!/usr/bin/env python3
"""Writes drag.csv: the drag force on a sphere in air, F = 0.5 * Cd * density * area * speed^2 with
Cd = 0.47, for 150 random sphere sizes, speeds and air densities. The inputs are rounded as measured
values would be; the force is computed from the rounded inputs, so the table holds no noise."""
import random

rng = random.Random(26)
with open("drag.csv", "w", newline="\n") as out:
    out.write("# Drag force on a sphere in air (made by drag.py): speed in m/s, frontal area in m^2,\n")
    out.write("# air density in kg/m^3, drag force in N.\n")
    out.write("speed,area,density,drag\n")
    for _ in range(150):
        speed = round(rng.uniform(2, 30), 1)
        area = round(rng.uniform(0.05, 0.8), 3)
        density = round(rng.uniform(1.0, 1.3), 3)
        drag = 0.5 * 0.47 * density * area * speed * speed
        out.write(f"{speed},{area},{density},{drag:.8g}\n")
