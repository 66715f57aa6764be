# Print the lines of the shell blocks (```sh) in the README's section named
# by -v section="## NAME", in order: the commands a reader pastes from it.
/^## / { on = $0 == section }
on && /^```/ { block = !block && /^```sh$/; next }
on && block
