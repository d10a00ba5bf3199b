"""Shared helpers of the effect tool's tests: import path and paths."""

import os
import sys

TOOL_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPO_DIR = os.path.dirname(os.path.dirname(TOOL_DIR))
EFFECTS_DIR = os.path.join(REPO_DIR, "effects", "fx")
if TOOL_DIR not in sys.path:
    sys.path.insert(0, TOOL_DIR)
