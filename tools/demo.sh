#!/bin/sh
# The demonstration on the virtual operator panel.
echo "make demo: there is nothing to demonstrate yet: the control is not built."
echo "Run 'make test' to build and test what exists."
exit 1
