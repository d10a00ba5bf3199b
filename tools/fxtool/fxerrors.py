"""Error type shared by the effect tool's parser, assembler and checker."""


class SourceError(Exception):
    """A mistake in an effect source file, with its file and line."""

    def __init__(self, where, line, message):
        super().__init__("%s:%d: error: %s" % (where, line, message))
        self.where, self.line, self.message = where, line, message


class FormatError(Exception):
    """A malformed binary effect (reported by the checker)."""
