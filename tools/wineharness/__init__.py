"""Helpers for running the Win32 build under Wine, by concern; tools/winetest.py gathers
them under one name for the tests and tools."""
