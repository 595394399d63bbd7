# fish completion for pastiq

set -l commands start end toggle status quit parse

complete -c pastiq -f
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -a start -d 'Start a session from the clipboard, a file or standard input'
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -a end -d 'End the running session'
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -a toggle -d 'End the session, or start one from the selection'
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -a status -d 'Print the session state as JSON'
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -a quit -d 'End the session and quit Pastiq'
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -a parse -d 'Print how a copied text is split into items'
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c pastiq -n "not __fish_seen_subcommand_from $commands" -l backend -x -a 'x11 wayland' -d 'Reach keyboard and clipboard through X11 or Wayland'
complete -c pastiq -n "__fish_seen_subcommand_from start" -l file -r -F -d 'Queue the text of this file'
complete -c pastiq -n "__fish_seen_subcommand_from start" -a - -d 'Queue standard input'
complete -c pastiq -n "__fish_seen_subcommand_from status" -l follow -d 'Print a line after every change until Pastiq quits'
complete -c pastiq -n "__fish_seen_subcommand_from parse" -l transposed -d 'List a grid column by column'
complete -c pastiq -n "__fish_seen_subcommand_from parse" -F
