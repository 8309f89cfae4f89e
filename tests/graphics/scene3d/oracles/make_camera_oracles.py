#!/usr/bin/python3
"""Left-handed look-at, perspective and orthographic matrices (row-vector convention, translation in
the fourth row) for the camera tests. Writes camera_matrices.txt: one matrix a line, name then 16 values."""
import numpy as np


def normalize(v):
    return v / np.linalg.norm(v)


def look_at(eye, target, up):
    eye, target, up = (np.array(v, dtype=np.float64) for v in (eye, target, up))
    direction = target - eye
    side = np.cross(direction, up)
    up = normalize(np.cross(side, direction))
    z = normalize(direction)
    x = normalize(np.cross(up, z))
    y = np.cross(z, x)
    m = np.identity(4)
    m[:3, 0], m[:3, 1], m[:3, 2] = x, y, z
    m[3, :3] = -x @ eye, -y @ eye, -z @ eye
    return m, up


def perspective(fov, near, far, aspect):
    h = 1.0 / np.tan(fov / 2)
    m = np.zeros((4, 4))
    m[0, 0], m[1, 1] = aspect * h, h
    m[2, 2], m[2, 3] = far / (far - near), 1.0
    m[3, 2] = -near * far / (far - near)
    return m


def ortho(size, near, far, aspect):
    m = np.zeros((4, 4))
    m[0, 0], m[1, 1] = 2.0 / (size / aspect), 2.0 / size
    m[2, 2], m[3, 2], m[3, 3] = 1.0 / (far - near), near / (near - far), 1.0
    return m


rows = []
for name, eye, target, up in [("look_at_a", (1, 2, -5), (0.5, 1, 3), (0, 1, 0)),
                              ("look_at_b", (100, 50, -300), (0, 0, 0), (0.2, 1, 0.1))]:
    m, stored_up = look_at(eye, target, up)
    rows.append((name, m.flatten()))
    rows.append((name + "_up", np.concatenate([stored_up, np.zeros(13)])))
# Target 400 x 300: aspect = 300 / 400 x the aspect scale.
rows.append(("perspective_a", perspective(np.pi / 3, 10.0, 10000.0, 0.75).flatten()))
rows.append(("perspective_b", perspective(1.2, 1.0, 500.0, 0.75 * 2.0).flatten()))
rows.append(("ortho_a", ortho(200.0, 1.0, 1000.0, 0.75).flatten()))
with open("camera_matrices.txt", "w") as f:
    for name, values in rows:
        f.write(name + " " + " ".join("%.9g" % v for v in values) + "\n")
