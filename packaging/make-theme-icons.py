#!/usr/bin/env python3
"""Draws the program icon and the icons of its file types (named after
the MIME types of mirovan-mime.xml) at the icon theme's sizes into hicolor/.

Run from this folder: python3 make-theme-icons.py
"""
import importlib.util
import os

here = os.path.dirname(os.path.abspath(__file__))
module_spec = importlib.util.spec_from_file_location("icons", os.path.join(here, "..", "resources", "icons", "make-icons.py"))
icons = importlib.util.module_from_spec(module_spec)
module_spec.loader.exec_module(icons)

for size in (16, 22, 24, 32, 48, 64, 128, 256):
    folder = os.path.join(here, "hicolor", f"{size}x{size}", "apps")
    os.makedirs(folder, exist_ok=True)
    icons.program(size).png(os.path.join(folder, "mirovan.png"))
    folder = os.path.join(here, "hicolor", f"{size}x{size}", "mimetypes")
    os.makedirs(folder, exist_ok=True)
    for kind, mime in (("group", "x-tillbrook-group"), ("schedule", "x-tillbrook-schedule"), ("personal", "x-mirovan-personal")):
        icons.document(kind, size).png(os.path.join(folder, f"application-{mime}.png"))
